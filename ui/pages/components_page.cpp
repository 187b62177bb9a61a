// The component list: the product and the add-on components, shown, all checked, and never read.
#include <windows.h>
#include <commctrl.h>

#include "core/page_result.h"
#include "core/text_ids.h"
#include "resources/ids.h"
#include "ui/pages/page_host.h"
#include "ui/pages/pages.h"

namespace {
constexpr UINT_PTR kCheckTimer = 678;

void SetChecked(HWND tree, HTREEITEM item) {
  TVITEMW state{};
  state.mask = TVIF_HANDLE | TVIF_STATE;
  state.hItem = item;
  state.stateMask = TVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(2);
  ::SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&state));
}
}  // namespace

ComponentsPage::ComponentsPage(PageHost& host) : WizardPage(IDD_COMPONENTS, host) {
  frame_ = {Picture::Banner, IDC_COMPONENTS_BANNER, Title::None, 0, IDC_COMPONENTS_SEPARATOR, IDC_COMPONENTS_FOOTER};
  buttons_ = {{IDC_COMPONENTS_BACK, kTextBack, kResultBack},
              {IDC_COMPONENTS_NEXT, kTextNext, kResultNext},
              {IDC_COMPONENTS_CANCEL, kTextCancel, kAskCancel}};
  closeBox_ = CloseBox::Nothing;
}

void ComponentsPage::InitPage() {
  SetTextAt(IDC_COMPONENTS_INTRO, kTextCheckComponents, {16, 80, 494, 40});
  // Both labels have room for a second line: some languages need it.
  SetTextAt(IDC_COMPONENTS_TREE_LABEL, kTextSelectComponents, {16, 140, 170, 40});
  PlaceItem(IDC_COMPONENTS_GROUP, {200, 135, 313, 189});
  PlaceItem(IDC_COMPONENTS_TREE, {201, 145, 310, 174});
  HWND tree = Item(IDC_COMPONENTS_TREE);
  // The check-box images of a tree from a template exist only once the style is set again at run time;
  // before that, check marks set during initialisation are lost.
  const LONG_PTR style = ::GetWindowLongPtrW(tree, GWL_STYLE);
  ::SetWindowLongPtrW(tree, GWL_STYLE, style & ~TVS_CHECKBOXES);
  ::SetWindowLongPtrW(tree, GWL_STYLE, style | TVS_CHECKBOXES);
  // The product itself comes first.
  std::vector<std::wstring> names = {L"Kelto Quorbel"};
  for (const std::wstring& name : host_.ComponentNames()) names.push_back(name);
  HTREEITEM last = TVI_LAST;
  for (std::wstring& name : names) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = last;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = name.data();
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item) SetChecked(tree, item);
  }
  SetTextAt(IDC_COMPONENTS_SPACE, kTextSpaceRequired, {16, 305, 170, 34});
  ::SetTimer(hwnd(), kCheckTimer, 100, nullptr);
}

// Once the page is on screen, the first item gets its check mark once more.
void ComponentsPage::OnTimer(UINT_PTR id) {
  if (id != kCheckTimer) return;
  ::KillTimer(hwnd(), kCheckTimer);
  HWND tree = Item(IDC_COMPONENTS_TREE);
  auto first = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
  if (first) SetChecked(tree, first);
}
