#pragma once
// Security for what the setup unpacks or copies aside while it runs elevated: SYSTEM and the Administrators
// have full control, nothing is inherited from the (user-writable) temporary folder, and whatever is created
// inside inherits the same. No other program of the user's can swap a file the setup is about to run.
#include <windows.h>

// Protected DACL; object and container inheritance.
inline constexpr wchar_t kAdminOnlySddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

class AdminOnlySecurity {
 public:
  AdminOnlySecurity();
  ~AdminOnlySecurity();
  AdminOnlySecurity(const AdminOnlySecurity&) = delete;
  AdminOnlySecurity& operator=(const AdminOnlySecurity&) = delete;

  // For CreateDirectoryW or CreateFileW; null when the descriptor could not be built (then create nothing).
  SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};
