// The word-processor add-in with the staged stand-in, whose DllRegisterServer leaves a marker key in the user's
// registry and whose DllUnregisterServer removes it.
#include "integration/word_addin.h"

#include <gtest/gtest.h>

#include "component_test_helpers.h"

namespace {

using namespace component_test;

const wchar_t* const kMarker = sys::kAddinMarker;

class WordAddinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_test::DeleteKey(HKEY_CURRENT_USER, kMarker);
    ASSERT_TRUE(::CreateDirectoryW(source_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(install_.c_str(), nullptr));
  }
  void TearDown() override { DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, kMarker, L"Software"); }

  void TakeAddin(const wchar_t* stagedName = L"kpc_wordaddin.dll") {
    ASSERT_TRUE(::CopyFileW((StageFolder() + stagedName).c_str(), (source_ + L"\\kpc_wordaddin.dll").c_str(), FALSE));
  }
  int Install() { return InstallWordAddin(source_, install_, &prompts_); }
  // The path the stand-in registered itself from, or "<none>".
  std::wstring Registered() const {
    const RawValue value = ReadRaw(HKEY_CURRENT_USER, kMarker, L"");
    return value.found ? value.text() : L"<none>";
  }

  Sandbox sandbox_{L"addin"};
  std::wstring source_ = sandbox_.path() + L"\\package";
  std::wstring install_ = sandbox_.path() + L"\\Kelto Quorbel";
  std::wstring installed_ = install_ + L"\\kpc_wordaddin.dll";
  RecordingPrompter prompts_;
};

TEST_F(WordAddinTest, InstallCopiesAndRegistersAndRemovalUnregistersAndDeletes) {
  TakeAddin();
  EXPECT_EQ(Install(), 1);
  EXPECT_TRUE(::lstrcmpiW(Registered().c_str(), installed_.c_str()) == 0) << Narrow(Registered());
  EXPECT_EQ(ReadText(installed_), ReadText(source_ + L"\\kpc_wordaddin.dll"));

  EXPECT_EQ(RemoveWordAddin(install_), 1);
  EXPECT_EQ(Registered(), L"<none>");
  EXPECT_FALSE(Exists(installed_));
  EXPECT_TRUE(prompts_.prompts().empty());
}

TEST_F(WordAddinTest, LibraryWithoutTheEntryIsCopiedButTheStepFails) {
  TakeAddin(L"ktdecod1.dll");  // loadable, exports neither entry
  EXPECT_EQ(Install(), 0);
  EXPECT_TRUE(Exists(installed_));
  EXPECT_EQ(CallRegistrationEntry(installed_, 0), 0);
  // Removal still deletes what it can't unregister.
  EXPECT_EQ(RemoveWordAddin(install_), 1);
  EXPECT_FALSE(Exists(installed_));
}

TEST_F(WordAddinTest, RegistrationEntryFailsForWhatIsNoLibrary) {
  EXPECT_EQ(CallRegistrationEntry(source_ + L"\\missing.dll", 1), 0);
  ASSERT_TRUE(WriteText(source_ + L"\\text.dll", "not a library"));
  EXPECT_EQ(CallRegistrationEntry(source_ + L"\\text.dll", 1), 0);
  EXPECT_EQ(Registered(), L"<none>");
}

// The test holds the destination open without sharing, as the word processor does with a loaded add-in, and
// lets go only when the third question is answered. With nobody to ask, the copy is not tried again.
TEST_F(WordAddinTest, DestinationInUseAsksUntilItIsReleased) {
  TakeAddin();
  ASSERT_TRUE(WriteText(installed_, "old add-in"));
  HANDLE held = ::CreateFileW(installed_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(InstallWordAddin(source_, install_, nullptr), 0);
  EXPECT_EQ(Registered(), L"<none>");

  prompts_ = RecordingPrompter([&](int n, unsigned) {
    if (n == 3) ::CloseHandle(held);
    return IDOK;
  });
  EXPECT_EQ(Install(), 1);

  ASSERT_EQ(prompts_.prompts().size(), 3u);
  for (const Prompt& prompt : prompts_.prompts()) {
    EXPECT_EQ(prompt.textId, 96u);
    EXPECT_EQ(prompt.style, static_cast<unsigned>(MB_OK));
    EXPECT_EQ(prompt.caption, PromptCaption::Printer);
    EXPECT_EQ(prompt.captionText, L"Kelto Quorbel Printer");
    EXPECT_EQ(prompt.text, BuiltinText(96));
  }
  EXPECT_EQ(ReadText(installed_), ReadText(source_ + L"\\kpc_wordaddin.dll"));
  EXPECT_NE(Registered(), L"<none>");
  RemoveWordAddin(install_);
}

// Retrying can't bring back a file the package lacks, so there is no box to be trapped in.
TEST_F(WordAddinTest, MissingSourceFailsAtOnceWithoutABox) {
  EXPECT_EQ(Install(), 0);
  EXPECT_TRUE(prompts_.prompts().empty());
  EXPECT_FALSE(Exists(installed_));
  EXPECT_EQ(Registered(), L"<none>");
}

TEST_F(WordAddinTest, RemovalWithoutAnAddinFailsQuietly) {
  EXPECT_EQ(RemoveWordAddin(install_), 0);
  EXPECT_EQ(List(install_), std::vector<std::wstring>{});
}

}  // namespace
