#pragma once
// The progress windows of a removal. Both show the banner, kTextDeletingFiles and a bar from 0 to 100:
// IDD_PIPE_REMOVAL while the old uninstaller reports over the pipe (modeless: the pipe reader keeps the thread),
// IDD_BUILTIN_REMOVAL while the setup removes the old version itself (modal: the work runs from its first timer tick,
// so the window is drawn before the work starts).
#include <windows.h>

#include <functional>
#include <memory>

#include "core/install_context.h"
#include "framework/ui/dialog.h"
#include "removal/previous_version_remover.h"
#include "resources/ids.h"
#include "ui/controls/skin_image.h"

inline constexpr UINT_PTR kBuiltInRemovalTimer = 135;

// The banner bitmap of an installer language (English for an index out of range): the wizard's own, from its
// skin table.
int RemovalBannerId(int skinIndex);

// A progress bar as the removal steps see it; each move is drawn at once, as the thread is busy.
class BarProgress : public InstallProgress {
 public:
  explicit BarProgress(HWND bar) : bar_(bar) {}
  void SetPosition(int position) override;
  void SetStatus(const std::wstring&) override {}
  void Finish(int) override {}

 private:
  HWND bar_;
};

class PipeRemovalWindow {
 public:
  PipeRemovalWindow(int skinIndex, TextLookup text) : skinIndex_(skinIndex), text_(std::move(text)) {}
  ~PipeRemovalWindow() { Close(); }
  PipeRemovalWindow(const PipeRemovalWindow&) = delete;
  PipeRemovalWindow& operator=(const PipeRemovalWindow&) = delete;

  // Creates, shows and draws the window; false when it can't be created.
  bool Open();
  bool isOpen() const { return hwnd_ != nullptr; }
  // 0 to 100; drawn at once.
  void SetPosition(int position);
  void Close();
  HWND hwnd() const { return hwnd_; }

 private:
  static INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM wp, LPARAM);

  int skinIndex_;
  TextLookup text_;
  HWND hwnd_ = nullptr;
  SkinImage banner_;
  ScaledLayout layout_;
};

class BuiltInRemovalDialog : public Dialog {
 public:
  using Work = std::function<void(InstallProgress& bar)>;
  BuiltInRemovalDialog(int skinIndex, TextLookup text, Work work)
      : Dialog(IDD_BUILTIN_REMOVAL), skinIndex_(skinIndex), text_(std::move(text)), work_(std::move(work)) {}

 protected:
  bool OnInitDialog() override;
  void OnTimer(UINT_PTR id) override;
  // Half a removal is worse than none: the window can't be closed while it runs.
  void OnCancel() override {}
  bool DiscardsEscape() const override { return true; }

 private:
  int skinIndex_;
  TextLookup text_;
  Work work_;
  SkinImage banner_;
  bool started_ = false;
};

// The removal's windows as the setup shows them.
class RemovalWindowsUi final : public RemovalWindows {
 public:
  RemovalWindowsUi(int skinIndex, TextLookup text) : skinIndex_(skinIndex), text_(text), pipe_(skinIndex, text) {}
  void OpenPipeWindow() override { pipe_.Open(); }
  bool PipeWindowOpen() const override { return pipe_.isOpen(); }
  void SetPipePosition(int position) override { pipe_.SetPosition(position); }
  void ClosePipeWindow() override { pipe_.Close(); }
  bool RunBuiltInWindow(const std::function<void(InstallProgress& bar)>& work) override {
    BuiltInRemovalDialog dialog(skinIndex_, text_, work);
    return dialog.DoModal(nullptr) != -1;
  }

 private:
  int skinIndex_;
  TextLookup text_;
  PipeRemovalWindow pipe_;
};
