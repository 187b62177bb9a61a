#pragma once
// The running program's own folder and files read whole: what the language files, the product's configuration
// and the components' set-up folder are found and read with.
#include <string>

// The folder of the running program, without the trailing backslash.
std::u16string RunningProgramFolder();
// The whole file into `bytes`; false when it can't be opened or read, or is too large to be a text of ours (the
// language files' reader: a StringCatalogue::FileReader).
bool ReadWholeFile(const std::u16string& path, std::string& bytes);
