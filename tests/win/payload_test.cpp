// The stand-in payload as the later install and removal steps rely on it: run under Wine from the staged
// files in payload-stage (beside this test program), copied into a scratch folder on C: first so that
// nothing the programs write lands in the folder that gets packed.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "engine/xml/xml_document.h"
#include "framework/base/process_start.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

using sys::kAddinMarker;

// payload-stage beside this program, ending with a backslash.
std::wstring StageFolder() { return sys::StageFolder() + L"\\"; }

using sys::Exists;
using sys::KeyExists;
using sys::List;
using sys::Narrow;
using sys::ReadValue;  // "<none>" when the key or value is missing
using sys::RemoveTree;

void WriteValue(HKEY root, const wchar_t* subKey, const wchar_t* name, const std::wstring& text) {
  ASSERT_TRUE(sys::WriteValue(root, subKey, name, text));
}

// Restores the previous text of a default value (or its absence) when the test ends.
class SavedDefault {
 public:
  explicit SavedDefault(const wchar_t* subKey)
      : subKey_(subKey), old_(ReadValue(HKEY_LOCAL_MACHINE, subKey, nullptr)) {}
  ~SavedDefault() {
    if (old_ != L"<none>") {
      WriteValue(HKEY_LOCAL_MACHINE, subKey_, nullptr, old_);
      return;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey_, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      ::RegDeleteValueW(key, nullptr);
      ::RegCloseKey(key);
    }
  }

 private:
  const wchar_t* subKey_;
  std::wstring old_;
};

// Programs get a working folder on a drive: the test's own may lie outside every drive.
std::wstring WorkFolder() {
  wchar_t temp[MAX_PATH + 1] = L"";
  ::GetTempPathW(MAX_PATH + 1, temp);
  return temp;
}

// Starts a command line and waits for it; the exit code, or -2 when it can't start, -3 on a time-out.
long long RunProgram(const std::wstring& commandLine, DWORD timeoutMs = 30000) {
  std::wstring line = commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, WorkFolder().c_str(), &startup,
                        &process)) {
    return -2;
  }
  ::CloseHandle(process.hThread);
  long long result = -3;
  if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    result = code;
  } else {
    ::TerminateProcess(process.hProcess, 1);
  }
  ::CloseHandle(process.hProcess);
  return result;
}

class PayloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_ = StageFolder();
    ASSERT_TRUE(Exists(stage_ + L"Kelto Quorbel.exe")) << "no staged payload at " << Narrow(stage_);
    wchar_t temp[MAX_PATH + 1] = L"";
    ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    sandbox_ = std::wstring(temp) + L"kelto-payload-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    RemoveTree(sandbox_);
    ASSERT_TRUE(::CreateDirectoryW(sandbox_.c_str(), nullptr));
  }
  void TearDown() override { RemoveTree(sandbox_); }

  // Copies a staged file into the sandbox (or a folder of it) and returns the copy's path.
  std::wstring Take(const std::wstring& name, const std::wstring& folder = L"") {
    const std::wstring target = (folder.empty() ? sandbox_ : folder) + name;
    EXPECT_TRUE(::CopyFileW((stage_ + name).c_str(), target.c_str(), FALSE)) << Narrow(name);
    return target;
  }

  std::wstring stage_;
  std::wstring sandbox_;
};

// ---------------------------------------------------------------- the staged files

TEST_F(PayloadTest, StageHoldsEveryPackageFileAndNoFolder) {
  std::vector<std::wstring> expected = {L"Kelto Quorbel.exe",
                                        L"Uninstall.exe",
                                        L"config.xml",
                                        L"Readme.txt",
                                        L"Readme_ENG.txt",
                                        L"Readme_FR.txt",
                                        L"kpdfcjk.bin",
                                        L"ktdecod1.dll",
                                        L"InPDFReaderPlugin.exe",
                                        L"UnPDFReaderPlugin.exe",
                                        L"OnDemandPlugin.dll",
                                        L"curl.exe",
                                        L"libcurl.dll",
                                        L"libeay32.dll",
                                        L"libssl32.dll",
                                        L"kqmvpr_drv.dll",
                                        L"kqmvpr_ui.dll",
                                        L"kqmvpr_pnt.txt",
                                        L"KTC_ProxyProcess.exe",
                                        L"kqmvpr_drv64.dll",
                                        L"kqmvpr_ui64.dll",
                                        L"kqmvpr_pnt64.txt",
                                        L"KTC_ProxyProcess64.exe",
                                        L"psapi.dll",
                                        L"framedyn.dll",
                                        L"kpc_wordaddin.dll"};
  for (const wchar_t* dictionary : {L"accent.tlx", L"correct.tlx", L"ssceam.tlx", L"ssceam2.clx", L"sscebr.tlx",
                                    L"sscebr2.clx", L"ssceca.tlx", L"ssceca2.clx", L"tech.tlx", L"userdic.tlx"}) {
    expected.push_back(dictionary);
  }
  for (const wchar_t* suffix : {L"lang_fr_fr.xml", L"lang_de_de.xml", L"lang_ko_kr.xml", L"lang_ga_ie.xml"}) {
    for (const wchar_t* prefix : {L"kqmcreator_", L"uninst_", L"", L"OnDemandPlugin"}) {
      expected.push_back(std::wstring(prefix) + suffix);
    }
  }
  for (const std::wstring& name : expected) EXPECT_TRUE(Exists(stage_ + name)) << Narrow(name);
  for (const std::wstring& name : List(stage_)) {
    EXPECT_FALSE(::GetFileAttributesW((stage_ + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY) << Narrow(name);
  }
}

TEST_F(PayloadTest, ConfigXmlCarriesTheProductVersion) {
  std::string bytes;
  bytes = sys::ReadText(stage_ + L"config.xml");
  ASSERT_NE(bytes, "<missing>");
  ASSERT_EQ(bytes.compare(0, 9, "\xEF\xBB\xBF<?xml "), 0);
  size_t comments = 0;
  for (size_t at = bytes.find("<!--"); at != std::string::npos; at = bytes.find("<!--", at + 4)) ++comments;
  EXPECT_EQ(comments, 2u);
  std::unique_ptr<XmlElement> root = XmlDocument::Parse(bytes);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Name(), "config_info");
  EXPECT_TRUE(root->AttrValue("version") == u"2.2.4.0225");
  size_t elements = 0;
  for (size_t i = 0; i < root->ChildCount(); ++i) elements += root->ChildElement(i) ? 1 : 0;
  EXPECT_EQ(elements, 1u);
}

TEST_F(PayloadTest, ReadmesHoldText) {
  for (const wchar_t* name : {L"Readme.txt", L"Readme_ENG.txt", L"Readme_FR.txt"}) {
    std::string text;
    text = sys::ReadText(stage_ + name);
    ASSERT_NE(text, "<missing>") << Narrow(name);
    EXPECT_NE(text.find("Kelto Quorbel"), std::string::npos) << Narrow(name);
  }
}

// The names of the DLLs an image imports, read from its import directory.
std::vector<std::string> ImportedDlls(const std::string& image, uint32_t pe) {
  std::vector<std::string> names;
  auto u16 = [&](size_t at) {
    uint16_t v = 0;
    if (at + 2 <= image.size()) std::memcpy(&v, &image[at], 2);
    return v;
  };
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    if (at + 4 <= image.size()) std::memcpy(&v, &image[at], 4);
    return v;
  };
  const uint16_t sections = u16(pe + 6);
  const uint16_t optionalSize = u16(pe + 20);
  const size_t optional = pe + 24;
  // data directory 1, after the 96 (PE32) or 112 (PE32+) bytes before the directories
  const uint32_t importRva = u32(optional + (u16(optional) == 0x20b ? 120 : 104));
  const size_t table = optional + optionalSize;
  auto offsetOf = [&](uint32_t rva) -> size_t {
    for (uint16_t i = 0; i < sections; ++i) {
      const size_t header = table + 40 * i;
      const uint32_t address = u32(header + 12), size = u32(header + 16), raw = u32(header + 20);
      if (rva >= address && rva < address + size) return raw + (rva - address);
    }
    return image.size();
  };
  if (importRva == 0) return names;
  for (size_t at = offsetOf(importRva); at + 20 <= image.size(); at += 20) {
    const uint32_t nameRva = u32(at + 12);
    if (nameRva == 0) break;
    const size_t name = offsetOf(nameRva);
    if (name >= image.size()) break;
    names.push_back(image.c_str() + name);
  }
  return names;
}

// Executables and libraries are 32-bit x86 images (x64 ones in the 64-bit test build) that need no compiler runtime
// beside them.
TEST_F(PayloadTest, ProgramsAndLibrariesAreSelfContainedX86Images) {
  for (const std::wstring& name : List(stage_)) {
    std::wstring lower = name;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    const bool dll = lower.size() > 4 && lower.compare(lower.size() - 4, 4, L".dll") == 0;
    const bool exe = lower.size() > 4 && lower.compare(lower.size() - 4, 4, L".exe") == 0;
    if (!dll && !exe) continue;
    std::string image;
    image = sys::ReadText(stage_ + name);
    ASSERT_NE(image, "<missing>") << Narrow(name);
    ASSERT_GT(image.size(), 0x100u) << Narrow(name);
    ASSERT_EQ(image.compare(0, 2, "MZ"), 0) << Narrow(name);
    uint32_t pe = 0;
    std::memcpy(&pe, &image[0x3c], 4);
    ASSERT_LT(pe + 24, image.size()) << Narrow(name);
    ASSERT_EQ(image.compare(pe, 4, std::string("PE\0\0", 4)), 0) << Narrow(name);
    uint16_t machine = 0, characteristics = 0;
    std::memcpy(&machine, &image[pe + 4], 2);
    std::memcpy(&characteristics, &image[pe + 22], 2);
    EXPECT_EQ(machine, sizeof(void*) == 4 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64) << Narrow(name);
    EXPECT_EQ((characteristics & IMAGE_FILE_DLL) != 0, dll) << Narrow(name);
    const std::vector<std::string> imports = ImportedDlls(image, pe);
    EXPECT_FALSE(imports.empty()) << Narrow(name);
    for (std::string dll : imports) {
      for (char& c : dll) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const bool system = dll == "kernel32.dll" || dll == "user32.dll" || dll == "gdi32.dll" || dll == "advapi32.dll" ||
                          dll == "shell32.dll" || dll == "msvcrt.dll" || dll == "winspool.drv";
      EXPECT_TRUE(system) << Narrow(name) << " needs " << dll;
    }
  }
}

// Checks the header, the trailer and that every cross-reference entry points at its object.
void ExpectValidPdf(const std::string& pdf, const std::string& name) {
  ASSERT_EQ(pdf.compare(0, 5, "%PDF-"), 0) << name;
  const size_t keyword = pdf.rfind("startxref");
  ASSERT_NE(keyword, std::string::npos) << name;
  const long xref = std::strtol(pdf.c_str() + keyword + 9, nullptr, 10);
  ASSERT_GT(xref, 0) << name;
  ASSERT_LT(static_cast<size_t>(xref), keyword) << name;
  ASSERT_EQ(pdf.compare(xref, 4, "xref"), 0) << name;
  EXPECT_NE(pdf.find("%%EOF", keyword), std::string::npos) << name;
  const char* p = pdf.c_str() + xref + 4;
  char* end = nullptr;
  const long first = std::strtol(p, &end, 10);
  const long count = std::strtol(end, &end, 10);
  ASSERT_EQ(first, 0) << name;
  ASSERT_GE(count, 2) << name;
  while (*end == '\r' || *end == '\n' || *end == ' ') ++end;
  const size_t entries = end - pdf.c_str();
  for (long i = 0; i < count; ++i) {
    const std::string entry = pdf.substr(entries + 20 * i, 20);
    ASSERT_EQ(entry.size(), 20u) << name;
    if (i == 0) {
      EXPECT_EQ(entry.compare(0, 17, "0000000000 65535 "), 0) << name;
      continue;
    }
    EXPECT_EQ(entry[17], 'n') << name;
    const long offset = std::strtol(entry.c_str(), nullptr, 10);
    const std::string object = std::to_string(i) + " 0 obj";
    EXPECT_EQ(pdf.compare(offset, object.size(), object), 0) << name << " object " << i;
  }
  EXPECT_NE(pdf.find("/Root 1 0 R", xref), std::string::npos) << name;
}

TEST_F(PayloadTest, StampsAreValidPdfsForBothLanguageVariants) {
  const std::vector<const wchar_t*> stamps = {
      // standard and sign here
      L"Approved", L"Completed", L"Confidential", L"Draft", L"Emergency", L"Expired", L"Final", L"Received",
      L"Reviewed", L"Revised", L"Verified", L"Void", L"Accepted", L"Initial", L"Rejected", L"Sign Here", L"Witness",
      // Japanese standard and sign here
      L"AtOnce", L"Circulate", L"ForPublic", L"Important", L"InternalOnly", L"Sample", L"Secret", L"Special Secret",
      L"Approval", L"Rejection", L"Signhere"};
  for (const wchar_t* stamp : stamps) {
    const std::wstring name = std::wstring(stamp) + L".pdf";
    std::string pdf;
    pdf = sys::ReadText(stage_ + name);
    ASSERT_NE(pdf, "<missing>") << Narrow(name);
    ExpectValidPdf(pdf, Narrow(name));
  }
}

// ---------------------------------------------------------------- the main program

TEST_F(PayloadTest, RegisterSwitchMakesTheProductThePdfHandler) {
  SavedDefault pdf(L"Software\\Classes\\.pdf");
  SavedDefault fdf(L"Software\\Classes\\.fdf");
  const std::wstring program = Take(L"Kelto Quorbel.exe");
  const std::wstring line = L"\"" + program + L"\" /register";
  ::SetEnvironmentVariableW(L"KELTO_PRODUCT_LOG", (sandbox_ + L"register-log.txt").c_str());
  EXPECT_EQ(RunProgram(line), 0);
  ::SetEnvironmentVariableW(L"KELTO_PRODUCT_LOG", nullptr);

  const std::wstring classes = L"Software\\Classes\\";
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, classes + L".pdf", nullptr), L"KeltoQuorbel.Document");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, classes + L".fdf", nullptr), L"KeltoQuorbel.FDFDoc");
  for (const wchar_t* progId : {L"KeltoQuorbel.Document", L"KeltoQuorbel.FDFDoc"}) {
    const std::wstring key = classes + progId;
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, key + L"\\shell\\open\\command", nullptr), L"\"" + program + L"\" \"%1\"");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, key + L"\\DefaultIcon", nullptr), program + L",0");
  }
  std::string log;
  log = sys::ReadText(sandbox_ + L"register-log.txt");
  ASSERT_NE(log, "<missing>");
  // One line: the exact command line, then what the product saw as it started.
  EXPECT_EQ(log.rfind(Narrow(line) + " | printer: ", 0), 0u) << log;
  EXPECT_EQ(log.find("\r\n"), log.size() - 2) << log;

  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KeltoQuorbel.Document");
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KeltoQuorbel.FDFDoc");
}

struct WindowSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t title[64] = L"";
  ::GetWindowTextW(window, title, 64);
  if (owner == search->process && std::wstring(title) == L"Kelto Quorbel" && ::IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

TEST_F(PayloadTest, WithoutSwitchItShowsAWindowThatCloses) {
  std::wstring line = L"\"" + Take(L"Kelto Quorbel.exe") + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, WorkFolder().c_str(), &startup,
                               &process));
  ::CloseHandle(process.hThread);
  WindowSearch search = {process.dwProcessId, nullptr};
  for (int i = 0; i < 200 && !search.found; ++i) {
    ::EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) ::Sleep(50);
  }
  EXPECT_TRUE(search.found);
  if (search.found) ::PostMessageW(search.found, WM_CLOSE, 0, 0);
  const bool ended = ::WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
  EXPECT_TRUE(ended);
  DWORD code = 1;
  if (ended) {
    ::GetExitCodeProcess(process.hProcess, &code);
  } else {
    ::TerminateProcess(process.hProcess, 1);
  }
  EXPECT_EQ(code, 0u);
  ::CloseHandle(process.hProcess);
  EXPECT_FALSE(Exists(sandbox_ + L"register-log.txt"));
}

// ---------------------------------------------------------------- the uninstaller and its pipe

struct PipeRun {
  std::vector<std::string> messages;  // raw message bytes
  bool broken = false;                // the read ended with ERROR_BROKEN_PIPE
  bool started = false;
  long long exitCode = -1;
};

// The setup's side: the pipe with its exact parameters, the uninstaller started as the setup starts it, reads
// polled every 20 ms. Reads go on after a final report to see that nothing else follows.
PipeRun RunUninstaller(const std::wstring& folder, const wchar_t* arguments = L"UninstForInst") {
  PipeRun run;
  HANDLE pipe =
      ::CreateNamedPipeW(kRemovalPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                         PIPE_UNLIMITED_INSTANCES, 100, 100, 0, nullptr);
  EXPECT_NE(pipe, INVALID_HANDLE_VALUE);
  if (pipe == INVALID_HANDLE_VALUE) return run;
  std::wstring line = L"\"" + folder + L"Uninstall.exe\"" + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process = {};
  run.started =
      ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, WorkFolder().c_str(), &startup, &process);
  if (!run.started) {
    ::CloseHandle(pipe);
    return run;
  }
  ::CloseHandle(process.hThread);
  const DWORD deadline = ::GetTickCount() + 20000;
  while (::GetTickCount() < deadline) {
    char buffer[101] = {};
    DWORD got = 0;
    if (::ReadFile(pipe, buffer, 100, &got, nullptr)) {
      run.messages.emplace_back(buffer, got);
      continue;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_BROKEN_PIPE) {
      run.broken = true;
      break;
    }
    // A client that never connects leaves the pipe listening; only its end tells.
    if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 && error == ERROR_PIPE_LISTENING) break;
    ::Sleep(20);
  }
  if (::WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0) {
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = code;
  } else {
    ::TerminateProcess(process.hProcess, 1);
  }
  ::CloseHandle(process.hProcess);
  ::CloseHandle(pipe);
  return run;
}

// The message as the setup reads it: ANSI digits ended by the message's end or a NUL byte.
std::string Text(const std::string& message) { return message.substr(0, message.find('\0')); }

std::vector<std::string> Texts(const PipeRun& run) {
  std::vector<std::string> texts;
  for (const std::string& message : run.messages) {
    EXPECT_LE(message.size(), 100u);
    texts.push_back(Text(message));
  }
  return texts;
}

class UninstallerTest : public PayloadTest {
 protected:
  void SetUp() override {
    PayloadTest::SetUp();
    if (HasFatalFailure()) return;
    folder_ = sandbox_ + L"Kelto Software\\Kelto Quorbel\\";
    ::CreateDirectoryW((sandbox_ + L"Kelto Software").c_str(), nullptr);
    ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((folder_ + L"lex").c_str(), nullptr));
    for (const wchar_t* name : {L"Uninstall.exe", L"Kelto Quorbel.exe", L"config.xml", L"Readme.txt"}) {
      Take(name, folder_);
    }
    Take(L"accent.tlx", folder_ + L"lex\\");
    delay_ = std::make_unique<sys::ScopedEnvironment>(L"KELTO_UNINSTALL_DELAY_MS", L"0");
  }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    delay_.reset();
    PayloadTest::TearDown();
  }

  // The records a setup leaves, pointing at our folder.
  void Record() {
    WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder_);
    WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"2.2.4.0225");
    WriteValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", folder_ + L"Uninstall.exe");
    WriteValue(HKEY_CURRENT_USER, kLanguageKey, L"langid", L"40811d");
  }

  void ExpectRemoved() {
    EXPECT_EQ(List(folder_), std::vector<std::wstring>{L"Uninstall.exe"});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  }

  void ExpectUntouched() {
    EXPECT_EQ(List(folder_).size(), 5u);
    EXPECT_TRUE(Exists(folder_ + L"lex\\accent.tlx"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  }

  std::wstring folder_;
  std::unique_ptr<sys::ScopedEnvironment> delay_;
};

// One run of the stand-in through the pipe, as the removal step starts it, and what it must leave.
enum class Left { Removed, Untouched, EveryFile };
struct UninstallerRun {
  const char* name;
  const wchar_t* mode;                // KELTO_UNINSTALL_MODE, nullptr: unset
  std::vector<std::string> messages;  // each in full, its NUL byte included
  bool broken = true;
  Left left = Left::Removed;
  bool checkExitCode = false;
  bool recorded = true;          // the setup's records point at the folder
  const wchar_t* nul = nullptr;  // KELTO_UNINSTALL_NUL
  bool realDelay = false;        // KELTO_UNINSTALL_DELAY_MS unset: the real pause between reports
};

class UninstallerModeTest : public UninstallerTest, public ::testing::WithParamInterface<UninstallerRun> {};

TEST_P(UninstallerModeTest, ReportsAndLeavesWhatItsModeSays) {
  const UninstallerRun& row = GetParam();
  if (row.recorded) Record();
  sys::ScopedEnvironment mode(L"KELTO_UNINSTALL_MODE", row.mode);
  sys::ScopedEnvironment nul(L"KELTO_UNINSTALL_NUL", row.nul);
  std::unique_ptr<sys::ScopedEnvironment> delay;
  if (row.realDelay) delay = std::make_unique<sys::ScopedEnvironment>(L"KELTO_UNINSTALL_DELAY_MS", nullptr);
  const PipeRun run = RunUninstaller(folder_);
  ASSERT_TRUE(run.started);
  // Each report is the digits and their NUL byte, in a message of its own.
  EXPECT_EQ(run.messages, row.messages);
  std::vector<std::string> texts;
  for (const std::string& message : row.messages) texts.push_back(message.c_str());
  EXPECT_EQ(Texts(run), texts);
  EXPECT_EQ(run.broken, row.broken);
  if (row.checkExitCode) {
    EXPECT_EQ(run.exitCode, 0);
  }
  switch (row.left) {
    case Left::Removed: ExpectRemoved(); break;
    case Left::Untouched: ExpectUntouched(); break;
    case Left::EveryFile: EXPECT_EQ(List(folder_).size(), 5u); break;
  }
}

const std::vector<std::string> kThreeSixTen = {std::string("3", 2), std::string("6", 2), std::string("10", 3)};

INSTANTIATE_TEST_SUITE_P(
    Modes, UninstallerModeTest,
    ::testing::Values(
        UninstallerRun{"ReportModeRemovesAndReportsThreeSixTen", L"report", kThreeSixTen, true, Left::Removed, true},
        UninstallerRun{"ReportIsTheDefaultMode", nullptr, kThreeSixTen, true, Left::Removed, false, true, nullptr,
                       true},
        UninstallerRun{
            "FailModeReportsMinusOneAndKeepsEverything", L"fail", {std::string("-1", 3)}, true, Left::Untouched},
        UninstallerRun{"SilentExitConnectsAndBreaksThePipe", L"silent-exit", {}, true, Left::Untouched, true},
        UninstallerRun{"NeverConnectLeavesThePipeListening", L"never-connect", {}, false, Left::Untouched, true},
        UninstallerRun{"FirstTenReportsOnlyTen", L"first-10", {std::string("10", 3)}},
        UninstallerRun{"NulByteCanBeLeftOut", L"first-10", {"10"}, true, Left::Removed, false, true, L"0"},
        UninstallerRun{"AFolderTheRegistryDoesNotNameIsLeftAlone", L"report", kThreeSixTen, true, Left::EveryFile,
                       false, false}),
    [](const ::testing::TestParamInfo<UninstallerRun>& info) { return std::string(info.param.name); });

TEST_F(UninstallerTest, WithoutKeywordItRemovesQuietlyAndUsesNoPipe) {
  Record();
  sys::ScopedEnvironment mode(L"KELTO_UNINSTALL_MODE", L"fail");  // pipe modes do not apply to a user's run
  EXPECT_EQ(RunProgram(L"\"" + folder_ + L"Uninstall.exe\""), 0);
  ExpectRemoved();
}

// ---------------------------------------------------------------- libraries and the plug-in installer

TEST_F(PayloadTest, WordAddinRegistersAndUnregistersItsMarker) {
  const std::wstring path = Take(L"kpc_wordaddin.dll");
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kAddinMarker);
  ASSERT_GE(::OleInitialize(nullptr), 0);
  HMODULE addin = ::LoadLibraryW(path.c_str());
  ASSERT_TRUE(addin);
  using Entry = HRESULT(WINAPI*)();
  auto reg = reinterpret_cast<Entry>(::GetProcAddress(addin, "DllRegisterServer"));
  auto unreg = reinterpret_cast<Entry>(::GetProcAddress(addin, "DllUnregisterServer"));
  ASSERT_TRUE(reg);
  ASSERT_TRUE(unreg);
  EXPECT_EQ(reg(), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinMarker));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kAddinMarker, nullptr), path);
  EXPECT_EQ(unreg(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinMarker));
  EXPECT_EQ(unreg(), S_OK);
  ::FreeLibrary(addin);
  ::OleUninitialize();
}

TEST_F(PayloadTest, PrinterConfigurationModulesExportTheSpoolerEntries) {
  for (const wchar_t* name : {L"kqmvpr_ui.dll", L"kqmvpr_ui64.dll"}) {
    HMODULE module = ::LoadLibraryW(Take(name).c_str());
    ASSERT_TRUE(module) << Narrow(name);
    using Sheets = LONG(WINAPI*)(void*, LPARAM);
    using Capabilities = DWORD(WINAPI*)(HANDLE, PWSTR, WORD, void*, void*);
    auto sheets = reinterpret_cast<Sheets>(::GetProcAddress(module, "DrvDocumentPropertySheets"));
    auto capabilities = reinterpret_cast<Capabilities>(::GetProcAddress(module, "DrvDeviceCapabilities"));
    ASSERT_TRUE(sheets) << Narrow(name);
    ASSERT_TRUE(capabilities) << Narrow(name);
    EXPECT_EQ(sheets(nullptr, 0), -1);
    EXPECT_EQ(capabilities(nullptr, nullptr, DC_PAPERS, nullptr, nullptr), 0u);
    ::FreeLibrary(module);
  }
  for (const wchar_t* name : {L"kqmvpr_drv.dll", L"kqmvpr_drv64.dll", L"ktdecod1.dll", L"OnDemandPlugin.dll"}) {
    HMODULE module = ::LoadLibraryW(Take(name).c_str());
    EXPECT_TRUE(module) << Narrow(name);
    if (module) ::FreeLibrary(module);
  }
}

// Started the way the setup starts it; the exit code, or -2 when nothing started.
long long RunPlugin(const std::wstring& program, const std::wstring& parameters) {
  DWORD code = 0;
  if (!RunProgramToEnd(program, Quoted(program) + L" " + parameters, SW_SHOW, &code)) return -2;
  return code;
}

TEST_F(PayloadTest, PluginInstallersExitWithTheCodeTheyAreGiven) {
  const std::wstring install = Take(L"InPDFReaderPlugin.exe");
  const std::wstring uninstall = Take(L"UnPDFReaderPlugin.exe");
  const std::wstring parameters = L" -p " + sandbox_ + L"plugins\\";
  {
    sys::ScopedEnvironment code(L"KELTO_PLUGIN_EXIT", nullptr);
    EXPECT_EQ(RunPlugin(install, parameters), 0);
  }
  {
    sys::ScopedEnvironment code(L"KELTO_PLUGIN_EXIT", L"9");
    EXPECT_EQ(RunPlugin(install, parameters), 9);
  }
  {
    sys::ScopedEnvironment code(L"KELTO_PLUGIN_EXIT", L"-1");
    EXPECT_EQ(RunPlugin(uninstall, parameters), 0xFFFFFFFFll);
  }
  std::string log;
  log = sys::ReadText(sandbox_ + L"plugin-log.txt");
  ASSERT_NE(log, "<missing>");
  size_t lines = 0;
  for (size_t at = log.find(Narrow(parameters) + " | folder: "); at != std::string::npos;
       at = log.find(Narrow(parameters) + " | folder: ", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 3u) << log;
  EXPECT_NE(log.find("InPDFReaderPlugin.exe"), std::string::npos);
  EXPECT_NE(log.find("UnPDFReaderPlugin.exe"), std::string::npos);
}

}  // namespace
