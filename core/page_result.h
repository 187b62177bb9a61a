#pragma once

// Codes with which a wizard page (or the language dialog) ends.
enum PageResult : int {
  kResultOk = 1025,  // language dialog OK
  kResultBack = 1026,
  kResultNext = 1027,    // also the licence page's agree button
  kResultCancel = 1028,  // only after the user confirmed it; also disagree
  kResultDefault = 1029,
  kResultCustom = 1030,
  kResultInstall = 1031,
  kResultFinish = 1032,  // also the end of the install sequence on the progress page
};
