// The install folder: typed, browsed or taken from a drive, then checked and created on Next.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cwchar>

#include "core/install_paths.h"
#include "core/page_result.h"
#include "core/text_ids.h"
#include "engine/file_copy.h"
#include "resources/ids.h"
#include "ui/pages/page_host.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "framework/base/system_library.h"
#include "ui/pages/destination_checks.h"
#include "ui/pages/pages.h"

namespace {

std::vector<std::wstring> DriveRoots(DWORD bufferChars) {
  std::vector<wchar_t> buffer(bufferChars + 1, L'\0');
  const DWORD length = ::GetLogicalDriveStringsW(bufferChars, buffer.data());
  std::vector<std::wstring> roots;
  if (length == 0 || length > bufferChars) return roots;
  for (const wchar_t* root = buffer.data(); *root; root += wcslen(root) + 1) roots.push_back(root);
  return roots;
}

bool IsFixed(const std::wstring& root) { return ::GetDriveTypeW(root.c_str()) == DRIVE_FIXED; }

// Total and free bytes of a drive; the extended call is looked up because older systems lack it.
bool DriveSizes(const std::wstring& name, ULONGLONG& total, ULONGLONG& free) {
  using FreeSpaceEx = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto freeSpaceEx = kernel ? reinterpret_cast<FreeSpaceEx>(::GetProcAddress(kernel, "GetDiskFreeSpaceExW")) : nullptr;
  if (freeSpaceEx) {
    ULARGE_INTEGER available, totalBytes, freeBytes;
    if (!freeSpaceEx(name.c_str(), &available, &totalBytes, &freeBytes)) return false;
    total = totalBytes.QuadPart;
    free = freeBytes.QuadPart;
    return true;
  }
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
  if (!::GetDiskFreeSpaceW(name.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    return false;
  }
  total = ULONGLONG(sectorsPerCluster) * bytesPerSector * totalClusters;
  free = ULONGLONG(sectorsPerCluster) * bytesPerSector * freeClusters;
  return true;
}

std::wstring Megabytes(ULONGLONG bytes) {
  wchar_t text[32];
  swprintf(text, 32, L"%ld MB", static_cast<long>(bytes >> 20));
  return text;
}

// The drive list's columns; widths in pixels at 96 DPI.
const struct {
  unsigned textId;
  int format;
  int width;
} kDriveColumns[] = {{kTextDriveName, LVCFMT_LEFT, 155},
                     {kTextTotalDiskSpace, LVCFMT_RIGHT, 156},
                     {kTextFreeDiskSpace, LVCFMT_RIGHT, 156}};

void SetCell(HWND list, int row, int column, const std::wstring& text) {
  LVITEMW cell{};
  cell.iSubItem = column;
  cell.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

struct DiskDirectories : DirectoryOps {
  bool Exists(const std::wstring& d) override {
    const DWORD attributes = ::GetFileAttributesW(d.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool Create(const std::wstring& d, bool outermost) override {
    if (!MakeInstallPathFolder(d, outermost)) return false;
    if (outermost) outermostMade = d;
    return true;
  }
  void Remove(const std::wstring& d) override { ::RemoveDirectoryW(d.c_str()); }

  std::wstring outermostMade;
};

int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM lp, LPARAM) {
  if (msg == BFFM_INITIALIZED) {
    // Where the setup was started, not the system folder it works in since.
    const std::wstring& start = StartFolder();
    if (!start.empty()) ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.c_str()));
  } else if (msg == BFFM_SELCHANGED) {
    wchar_t path[MAX_PATH] = L"";
    const bool hasPath = ::SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lp), path) != FALSE;
    ::SendMessageW(window, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(hasPath ? path : L""));
  }
  return 0;
}

}  // namespace

DestinationPage::DestinationPage(PageHost& host) : WizardPage(IDD_DESTINATION, host) {
  frame_ = {Picture::Banner, IDC_DESTINATION_BANNER, Title::None, 0, IDC_DESTINATION_SEPARATOR, IDC_DESTINATION_FOOTER};
  buttons_ = {{IDC_DESTINATION_BROWSE, kTextBrowse, kOwnAction},
              {IDC_DESTINATION_BACK, kTextBack, kResultBack},
              {IDC_DESTINATION_NEXT, kTextNext, kResultNext},
              {IDC_DESTINATION_CANCEL, kTextCancel, kAskCancel}};
}

void DestinationPage::InitPage() {
  const bool japanese = skin() == kJapanese;
  SetTextAt(IDC_DESTINATION_INTRO, kTextChooseFolder, {16, 80, 497, 22});
  SetItemText(IDC_DESTINATION_FOLDER, host_.Options().installFolder);
  PlaceItem(IDC_DESTINATION_FOLDER, japanese ? Rect{16, 110, 396, 22} : Rect{16, 110, 406, 22});
  SetTextAt(IDC_DESTINATION_GROUP, kTextDiskSpace, {16, 140, 497, 148});
  PlaceItem(IDC_DESTINATION_DRIVES, {28, 160, 471, 114});
  PlaceItem(IDC_DESTINATION_DRIVES_BOTTOM, {27, 274, 474, 1});
  PlaceItem(IDC_DESTINATION_DRIVES_RIGHT, {499, 160, 1, 115});
  SetTextAt(IDC_DESTINATION_SPACE, kTextSpaceRequired, {16, 302, 492, 22});

  HWND list = Item(IDC_DESTINATION_DRIVES);
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int i = 0; i < 3; ++i) {
    const std::wstring title = host_.Text(kDriveColumns[i].textId);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = kDriveColumns[i].format;
    column.cx = layout().Scale(kDriveColumns[i].width);
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.iSubItem = i;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  FillDrives();
}

void DestinationPage::OnDpiChanged() {
  for (int i = 0; i < 3; ++i) {
    ::SendDlgItemMessageW(hwnd(), IDC_DESTINATION_DRIVES, LVM_SETCOLUMNWIDTH, i,
                          layout().Scale(kDriveColumns[i].width));
  }
}

std::vector<WizardPage::Rect> DestinationPage::ButtonPlaces() const {
  if (skin() == kJapanese) {
    return {{415, 110, 100, 22}, {173, 358, 112, 24}, {293, 358, 112, 24}, {412, 358, 112, 24}};
  }
  return {{425, 110, 88, 22}, {233, 358, 88, 24}, {329, 358, 88, 24}, {425, 358, 92, 24}};
}

void DestinationPage::FillDrives() {
  HWND list = Item(IDC_DESTINATION_DRIVES);
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  int rows = 0;
  for (const std::wstring& root : DriveRoots(520)) {
    if (!IsFixed(root)) continue;
    const std::wstring name = root.substr(0, 2);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = rows;
    item.pszText = const_cast<wchar_t*>(name.c_str());
    const int row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    ++rows;
    ULONGLONG total = 0, free = 0;
    if (row >= 0 && DriveSizes(name, total, free)) {
      SetCell(list, row, 1, Megabytes(total));
      SetCell(list, row, 2, Megabytes(free));
    }
  }
}

void DestinationPage::OnOwnButton(int buttonId) {
  if (buttonId == IDC_DESTINATION_BROWSE) Browse();
}

void DestinationPage::Browse() {
  const std::wstring title = host_.Text(kTextChooseDirectory);
  BROWSEINFOW info{};
  info.hwndOwner = hwnd();
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  LPITEMIDLIST chosen = ::SHBrowseForFolderW(&info);
  if (chosen) {
    wchar_t path[MAX_PATH] = L"";
    if (::SHGetPathFromIDListW(chosen, path)) host_.Options().installFolder = WithTrailingBackslash(path);
    ::CoTaskMemFree(chosen);
  }
  SetItemText(IDC_DESTINATION_FOLDER, host_.Options().installFolder);
}

void DestinationPage::ChooseDrive() {
  HWND list = Item(IDC_DESTINATION_DRIVES);
  wchar_t name[8] = L"";
  for (int row = -1; (row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) != -1;) {
    LVITEMW cell{};
    cell.iSubItem = 0;
    cell.pszText = name;
    cell.cchTextMax = 8;
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    host_.Options().installFolder = WithTrailingBackslash(name);
    SetItemText(IDC_DESTINATION_FOLDER, host_.Options().installFolder);
  }
}

INT_PTR DestinationPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  if (msg == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    if (header->idFrom == IDC_DESTINATION_DRIVES && header->code == NM_CLICK) {
      ChooseDrive();
      ::SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 0);
      handled = true;
      return TRUE;
    }
  }
  return WizardPage::OnMessage(msg, wp, lp, handled);
}

bool DestinationPage::BeforeEnd(int buttonId, int code) {
  if (buttonId == IDC_DESTINATION_NEXT && code == kResultNext) return Validate();
  return true;
}

bool DestinationPage::Validate() {
  SetupOptions& o = host_.Options();
  HWND edit = Item(IDC_DESTINATION_FOLDER);
  const int length = ::GetWindowTextLengthW(edit);
  std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
  ::GetWindowTextW(edit, &typed[0], length + 1);
  typed.resize(wcslen(typed.c_str()));
  o.installFolder = WithTrailingBackslash(typed);

  std::vector<std::wstring> roots = DriveRoots(256);
  std::vector<bool> fixed;
  for (const std::wstring& root : roots) fixed.push_back(IsFixed(root));
  DiskDirectories disk;
  switch (CheckAndCreateFolder(o.installFolder, FixedDriveString(roots, fixed), disk, o.existPath)) {
    case DestinationCheck::Existed: return true;
    case DestinationCheck::CreatedAskUser:
      if (ShowMessage(hwnd(), host_.Text(kTextCreateDirectory), host_.Text(kTextCaption), MB_YESNO | MB_ICONQUESTION) ==
          IDYES) {
        // A stopped install takes them back.
        NoteCreatedFolder(o.createdFolder, disk.outermostMade);
        return true;
      }
      RemoveCreatedFolders(o.installFolder, o.existPath, disk);
      return false;
    case DestinationCheck::Rejected: break;
  }
  ShowMessage(hwnd(), host_.Text(kTextWrongDirectory), host_.Text(kTextCaption), MB_OK | MB_ICONEXCLAMATION);
  ::SetFocus(edit);
  return false;
}
