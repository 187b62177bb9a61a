#include "integration/plugin_runner.h"

#include "framework/base/process_start.h"

namespace {

struct ExitCodeMeaning {
  DWORD code;
  bool succeeded;
  const wchar_t* message;
};

// One missing browser still counts as installed; both missing, or a real error, do not.
constexpr ExitCodeMeaning kExitCodes[] = {
    {0, true, nullptr},
    {1, true, L"mozilla firefox is not installed"},
    {2, false, L"the path is not correct"},
    {3, false, L"password is not correct"},
    {4, false, L"no much space for installation"},
    {5, false, L"register keltopdfreadercontrol.dll unsucessfully"},
    {6, false, L"compression files are destroyed"},
    {7, false, L"undefined"},
    {8, true, L"Opera is not installed"},
    {9, false, L"Opera and firefox are not installed"},
};

bool IsFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program's path, or empty when neither name is present.
std::wstring ChooseProgram(int install, const std::wstring& sourceFolder, const std::wstring& installFolder) {
  const std::wstring folder = (install ? sourceFolder : installFolder) + L"\\";
  const std::wstring program = folder + (install ? L"InPDFReaderPlugin.exe" : L"UnPDFReaderPlugin.exe");
  if (IsFile(program)) return program;
  const std::wstring fallback = folder + (install ? L"InstallPDFReaderPlugin.exe" : L"UninstallPDFReaderPlugin.exe");
  return IsFile(fallback) ? fallback : std::wstring();
}

}  // namespace

std::wstring PluginParameters(const std::wstring& installFolder) { return L" -p " + installFolder + L"\\plugins\\"; }

std::wstring PluginCommandLine(const std::wstring& program, const std::wstring& installFolder) {
  return Quoted(program) + L" " + PluginParameters(installFolder);
}

bool PluginExitSucceeded(DWORD exitCode, const wchar_t** message) {
  for (const ExitCodeMeaning& meaning : kExitCodes) {
    if (meaning.code == exitCode) {
      *message = meaning.message;
      return meaning.succeeded;
    }
  }
  *message = nullptr;
  return false;
}

int RunPluginProgram(int install, const std::wstring& sourceFolder, const std::wstring& installFolder,
                     const PluginReport& report) {
  const std::wstring program = ChooseProgram(install, sourceFolder, installFolder);
  if (program.empty()) return 0;
  DWORD exitCode = 0;
  // A program that could not be started, or whose end can't be judged, has installed nothing.
  if (!RunProgramToEnd(program, PluginCommandLine(program, installFolder), SW_SHOW, &exitCode)) return 0;
  const wchar_t* message = nullptr;
  const bool succeeded = PluginExitSucceeded(exitCode, &message);
  if (message && report) report(message);
  return succeeded ? 1 : 0;
}
