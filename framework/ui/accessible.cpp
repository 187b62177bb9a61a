#include "framework/ui/accessible.h"

#include <oleacc.h>

#include <string>

#include "framework/base/system_library.h"

namespace {

using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

// The accessibility library is loaded the first time a screen reader asks, never at start.
struct Oleacc {
  CreateStdAccessibleObjectFn createStd = nullptr;
  LresultFromObjectFn lresultFromObject = nullptr;
};

const Oleacc& Library() {
  static const Oleacc library = [] {
    Oleacc found;
    HMODULE module = LoadSystemLibrary(L"oleacc.dll");
    found.createStd = FindEntry<CreateStdAccessibleObjectFn>(module, "CreateStdAccessibleObject");
    found.lresultFromObject = FindEntry<LresultFromObjectFn>(module, "LresultFromObject");
    return found;
  }();
  return library;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

BSTR Copy(const std::wstring& text) { return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// "&Next>" reads "Next>"; "&&" is one ampersand. The mnemonic, if any, goes to *key.
std::wstring WithoutMnemonic(const std::wstring& text, wchar_t* key) {
  std::wstring plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != L'&' && key && !*key) *key = text[i];
    }
    plain += text[i];
  }
  return plain;
}

// The system's object for the window answers everything but what the control is and what it is called.
class SkinAccessible final : public IAccessible {
 public:
  SkinAccessible(HWND control, IAccessible* standard, const AccessibleKind& kind)
      : control_(control), standard_(standard), kind_(kind), name_(kind.name ? kind.name : L"") {
    kind_.name = nullptr;  // the copy above outlives the caller's text
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: not scriptable.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible: its own answers.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    *name = Copy(name_.empty() ? WithoutMnemonic(WindowText(control_), nullptr) : name_);
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    if (!IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = kind_.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    if (!IsSelf(child)) return E_INVALIDARG;
    long bits = 0;
    if (!::IsWindowVisible(control_)) bits |= STATE_SYSTEM_INVISIBLE;
    if (!::IsWindowEnabled(control_)) bits |= STATE_SYSTEM_UNAVAILABLE;
    const LONG_PTR style = ::GetWindowLongPtrW(control_, GWL_STYLE);
    if (style & WS_TABSTOP) bits |= STATE_SYSTEM_FOCUSABLE;
    if (::GetFocus() == control_) bits |= STATE_SYSTEM_FOCUSED;
    if (kind_.role == ROLE_SYSTEM_LINK) bits |= STATE_SYSTEM_LINKED;
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    wchar_t key = 0;
    WithoutMnemonic(WindowText(control_), &key);
    if (!key) return S_FALSE;
    *shortcut = Copy(std::wstring(L"Alt+") + static_cast<wchar_t>(::towupper(key)));
    return *shortcut ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    if (!kind_.defaultAction) return S_FALSE;
    *action = ::SysAllocString(kind_.defaultAction);
    return *action ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child)) return E_INVALIDARG;
    if (!kind_.defaultAction || !::IsWindowEnabled(control_)) return DISP_E_MEMBERNOTFOUND;
    // As a click would: the button's own click, the link's notification to its page.
    if (kind_.role == ROLE_SYSTEM_PUSHBUTTON) {
      ::PostMessageW(control_, BM_CLICK, 0, 0);
    } else {
      ::PostMessageW(::GetParent(control_), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control_), STN_CLICKED),
                     reinterpret_cast<LPARAM>(control_));
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
    if (value) *value = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
    if (text) *text = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override {
    if (text) *text = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    if (child) *child = nullptr;
    return E_INVALIDARG;
  }

  // The rest from the system's object for the window.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
    return standard_->accLocation(x, y, w, h, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    return standard_->accHitTest(x, y, child);
  }

 private:
  ~SkinAccessible() { standard_->Release(); }

  LONG references_ = 1;
  HWND control_;
  IAccessible* standard_;
  AccessibleKind kind_;
  std::wstring name_;
};

}  // namespace

LRESULT AnswerGetObject(HWND control, WPARAM wp, LPARAM lp, const AccessibleKind& kind) {
  const Oleacc& library = Library();
  if (static_cast<LONG>(lp) != OBJID_CLIENT || !library.createStd || !library.lresultFromObject) {
    return ::DefWindowProcW(control, WM_GETOBJECT, wp, lp);
  }
  IAccessible* standard = nullptr;
  if (FAILED(library.createStd(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
      !standard) {
    return ::DefWindowProcW(control, WM_GETOBJECT, wp, lp);
  }
  auto* object = new SkinAccessible(control, standard, kind);
  const LRESULT result = library.lresultFromObject(__uuidof(IAccessible), wp, object);
  object->Release();
  return result;
}
