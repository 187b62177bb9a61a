#include "framework/base/admin_only.h"

#include <sddl.h>

FolderSecurity::FolderSecurity(const wchar_t* sddl) {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor_, nullptr)) {
    descriptor_ = nullptr;
    return;
  }
  attributes_.nLength = sizeof(attributes_);
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

FolderSecurity::~FolderSecurity() {
  if (descriptor_) ::LocalFree(descriptor_);
}
