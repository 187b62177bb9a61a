#include "framework/base/admin_only.h"

#include <sddl.h>

AdminOnlySecurity::AdminOnlySecurity() {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlySddl, SDDL_REVISION_1, &descriptor_,
                                                              nullptr)) {
    descriptor_ = nullptr;
    return;
  }
  attributes_.nLength = sizeof(attributes_);
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

AdminOnlySecurity::~AdminOnlySecurity() {
  if (descriptor_) ::LocalFree(descriptor_);
}
