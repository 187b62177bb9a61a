#pragma once
// Security for what the setup unpacks or copies aside while it runs elevated: SYSTEM and the Administrators
// have full control, nothing is inherited from the (user-writable) temporary folder, and whatever is created
// inside inherits the same. No other program of the user's can swap a file the setup is about to run.
#include <windows.h>

// Protected DACL; object and container inheritance.
inline constexpr wchar_t kAdminOnlySddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// What the program-files folder gives its contents, for an install folder made outside it: SYSTEM and the
// Administrators full control, the Users read and execute (0x1200a9), nothing inherited from the drive's root
// (whose "Authenticated Users: Modify" would let any user plant files the product loads).
inline constexpr wchar_t kProgramFilesSddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// A security descriptor built from SDDL, for CreateDirectoryW or CreateFileW.
class FolderSecurity {
 public:
  explicit FolderSecurity(const wchar_t* sddl);
  ~FolderSecurity();
  FolderSecurity(const FolderSecurity&) = delete;
  FolderSecurity& operator=(const FolderSecurity&) = delete;

  // Null when the descriptor could not be built (then create nothing).
  SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

class AdminOnlySecurity : public FolderSecurity {
 public:
  AdminOnlySecurity() : FolderSecurity(kAdminOnlySddl) {}
};

class ProgramFilesSecurity : public FolderSecurity {
 public:
  ProgramFilesSecurity() : FolderSecurity(kProgramFilesSddl) {}
};
