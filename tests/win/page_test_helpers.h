#pragma once
// Shows a page in-process, as the session would, while a driver attached to this process works it from a
// second thread.
#include <windows.h>

#include <functional>
#include <thread>

#include "framework/ui/dialog.h"
#include "tests/driver/gui_driver.h"

namespace page_test {

// Shows the page on this thread while `drive` runs on another with a driver attached to this process.
inline INT_PTR ShowDriven(Dialog& page, const std::function<void(gui::Driver&, HWND)>& drive,
                          const char* name = "Components") {
  std::thread driver([&] {
    gui::Driver d;
    d.Attach(::GetCurrentProcessId());
    HWND window = d.WaitForNamedPage(name, 10000);
    if (window) drive(d, window);
  });
  const INT_PTR code = page.DoModal(nullptr);
  driver.join();
  return code;
}

}  // namespace page_test
