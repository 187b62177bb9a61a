/* Helper programs the product starts on its own (the printer's proxy process, the download tool): the setup
   only copies them, so they do nothing and end at once. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  (void)instance;
  (void)previous;
  (void)arguments;
  (void)show;
  return 0;
}
