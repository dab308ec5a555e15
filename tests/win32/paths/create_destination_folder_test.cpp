#include "paths/create_destination_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "base/installer_state.h"
#include "tests/support/wine_test_support.h"

namespace {

using pagix_test::CurrentDirectory;
using pagix_test::DirectoryExists;
using pagix_test::MessageBoxAnswerer;
using pagix_test::ScratchFolder;

// Every existence test and every creation, in order; the real calls still do the work.
std::vector<std::string> g_Tests;
std::vector<std::string> g_Creations;

BOOL WINAPI WatchedSetCurrentDirectory(LPCSTR path) {
  g_Tests.push_back(path);
  return SetCurrentDirectoryA(path);
}

BOOL WINAPI WatchedCreateDirectory(LPCSTR path, LPSECURITY_ATTRIBUTES attributes) {
  g_Creations.push_back(path);
  return CreateDirectoryA(path, attributes);
}

// Compares folder texts as the platform does: either separator, any case, no trailing one.
std::string FolderKey(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  std::transform(path.begin(), path.end(), path.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return path;
}

// "a/b/c/..." with the given number of one-letter levels, each followed by "/".
std::string Levels(int count) {
  std::string levels;
  for (int i = 0; i < count; ++i) levels += std::string(1, static_cast<char>('a' + i)) + "/";
  return levels;
}

// A drive letter that the prefix does not map, preferring Q.
std::string UnmappedDrive() {
  DWORD mapped = GetLogicalDrives();
  for (char letter : std::string("QRTUVWXYPONMLKJIHGF")) {
    if (!(mapped & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
  }
  return "";
}

class CreateDestinationFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Installer.AbortRequested = 0;
    g_Tests.clear();
    g_Creations.clear();
    g_DestinationFolderCalls.SetCurrentDirectoryCall = WatchedSetCurrentDirectory;
    g_DestinationFolderCalls.CreateDirectoryCall = WatchedCreateDirectory;
    owner_ = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
    // Start outside the scratch folder, so that entering it shows.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    SetCurrentDirectoryA(windows);
    start_ = CurrentDirectory();
    base_ = scratch_.AsDestination();
  }

  void TearDown() override {
    g_DestinationFolderCalls = DestinationFolderCalls();
    DestroyWindow(owner_);
    g_Installer.AbortRequested = 0;
  }

  void ExpectCurrentDirectory(const std::string& folder) {
    EXPECT_EQ(FolderKey(folder), FolderKey(CurrentDirectory()));
  }

  void ExpectCreateQuestion(const pagix_test::SeenBox& box) {
    EXPECT_EQ("Pagix 0.9d Install", box.Caption);
    EXPECT_EQ("Create Destination", box.Text);
    EXPECT_EQ("question", box.Icon);
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), box.Buttons);
    EXPECT_EQ(owner_, box.Owner);
  }

  void ExpectCannotCreate(const pagix_test::SeenBox& box, const std::string& detail) {
    EXPECT_EQ("Pagix 0.9d Install", box.Caption);
    EXPECT_EQ("Cannot Create Directory : " + detail, box.Text);
    EXPECT_EQ("error", box.Icon);
    EXPECT_EQ(owner_, box.Owner);
  }

  ScratchFolder scratch_{"paths"};
  std::string base_;  // the scratch folder with "/" and a trailing "/"
  std::string start_;
  HWND owner_ = nullptr;
};

TEST_F(CreateDestinationFolderTest, ExistingFolderIsOnlyEntered) {
  MessageBoxAnswerer answerer;
  for (int call = 0; call < 2; ++call) {
    CreateDestinationFolder(owner_, base_.c_str(), 1);
    ExpectCurrentDirectory(scratch_.Path());
  }
  EXPECT_EQ((std::vector<std::string>{base_, base_}), g_Tests);
  EXPECT_TRUE(g_Creations.empty());
  EXPECT_TRUE(answerer.Seen().empty());
  EXPECT_EQ(0, g_Installer.AbortRequested);
}

TEST_F(CreateDestinationFolderTest, ConfirmedDestinationIsCreatedWithItsMissingParent) {
  MessageBoxAnswerer answerer({IDOK});
  std::string destination = base_ + "Marrowby/Pagix/";
  CreateDestinationFolder(owner_, destination.c_str(), 1);

  ASSERT_EQ(1u, answerer.Seen().size());
  ExpectCreateQuestion(answerer.Seen()[0]);
  EXPECT_EQ((std::vector<std::string>{destination, base_ + "Marrowby/", base_}), g_Tests);
  EXPECT_EQ((std::vector<std::string>{base_ + "Marrowby/", destination}), g_Creations);
  EXPECT_TRUE(DirectoryExists(scratch_.Join("Marrowby/Pagix")));
  // The nearest existing ancestor stays entered; the new folders are not.
  ExpectCurrentDirectory(scratch_.Path());
  EXPECT_EQ(0, g_Installer.AbortRequested);

  // A sub-folder without trailing separator: no question, one creation, parent entered.
  g_Tests.clear();
  g_Creations.clear();
  std::string subFolder = destination + "DICTIONARY";
  CreateDestinationFolder(owner_, subFolder.c_str(), 0);
  EXPECT_EQ(1u, answerer.Seen().size());
  EXPECT_EQ((std::vector<std::string>{subFolder, destination}), g_Tests);
  EXPECT_EQ((std::vector<std::string>{subFolder}), g_Creations);
  EXPECT_TRUE(DirectoryExists(scratch_.Join("Marrowby/Pagix/DICTIONARY")));
  ExpectCurrentDirectory(scratch_.Join("Marrowby/Pagix"));
}

TEST_F(CreateDestinationFolderTest, DeclinedQuestionCreatesNothingAndAborts) {
  MessageBoxAnswerer answerer({IDCANCEL});
  std::string destination = base_ + "Marrowby/Pagix/";
  CreateDestinationFolder(owner_, destination.c_str(), 1);

  ASSERT_EQ(1u, answerer.Seen().size());  // the question only, no error box
  ExpectCreateQuestion(answerer.Seen()[0]);
  EXPECT_EQ(1, g_Installer.AbortRequested);
  EXPECT_EQ((std::vector<std::string>{destination}), g_Tests);
  EXPECT_TRUE(g_Creations.empty());
  EXPECT_FALSE(DirectoryExists(scratch_.Join("Marrowby")));
  ExpectCurrentDirectory(start_);
}

TEST_F(CreateDestinationFolderTest, TwelveMissingLevelsAreCreatedTopDown) {
  MessageBoxAnswerer answerer;
  std::string path = base_ + Levels(12);
  CreateDestinationFolder(owner_, path.c_str(), 0);

  EXPECT_EQ(13u, g_Tests.size());
  EXPECT_EQ(base_, g_Tests.back());
  ASSERT_EQ(12u, g_Creations.size());
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(base_ + Levels(i + 1), g_Creations[static_cast<size_t>(i)]);
  EXPECT_TRUE(DirectoryExists(scratch_.Join(Levels(12))));
  EXPECT_TRUE(answerer.Seen().empty());
  EXPECT_EQ(0, g_Installer.AbortRequested);
  ExpectCurrentDirectory(scratch_.Path());
}

TEST_F(CreateDestinationFolderTest, ThirteenMissingLevelsReportTheEleventhAncestor) {
  MessageBoxAnswerer answerer;
  std::string path = base_ + Levels(13);
  CreateDestinationFolder(owner_, path.c_str(), 0);

  // The path and its twelve nearest ancestors are tested, all missing.
  ASSERT_EQ(13u, g_Tests.size());
  EXPECT_EQ(base_ + Levels(1), g_Tests.back());
  EXPECT_EQ((std::vector<std::string>{base_ + Levels(2)}), g_Creations);
  ASSERT_EQ(1u, answerer.Seen().size());
  ExpectCannotCreate(answerer.Seen()[0], base_ + Levels(2));
  EXPECT_EQ(1, g_Installer.AbortRequested);
  EXPECT_FALSE(DirectoryExists(scratch_.Join("a")));
  ExpectCurrentDirectory(start_);
}

TEST_F(CreateDestinationFolderTest, MissingDriveClimbsToTheEmptyTextAndReportsIt) {
  std::string drive = UnmappedDrive();
  ASSERT_FALSE(drive.empty());
  MessageBoxAnswerer answerer;
  std::string path = drive + "/x/";
  CreateDestinationFolder(owner_, path.c_str(), 0);

  std::vector<std::string> expectedTests = {path, drive + "/"};
  expectedTests.resize(13, "");
  EXPECT_EQ(expectedTests, g_Tests);
  EXPECT_EQ((std::vector<std::string>{""}), g_Creations);
  ASSERT_EQ(1u, answerer.Seen().size());
  ExpectCannotCreate(answerer.Seen()[0], "");
  EXPECT_EQ(1, g_Installer.AbortRequested);
  ExpectCurrentDirectory(start_);
}

TEST_F(CreateDestinationFolderTest, PathNamingAFileIsReported) {
  ASSERT_TRUE(pagix_test::WriteWholeFile(scratch_.Join("file.txt"), {'x'}));
  MessageBoxAnswerer answerer({IDOK});
  std::string path = base_ + "file.txt";
  CreateDestinationFolder(owner_, path.c_str(), 1);

  ASSERT_EQ(2u, answerer.Seen().size());
  ExpectCreateQuestion(answerer.Seen()[0]);
  ExpectCannotCreate(answerer.Seen()[1], path);
  EXPECT_EQ((std::vector<std::string>{path, base_}), g_Tests);
  EXPECT_EQ((std::vector<std::string>{path}), g_Creations);
  EXPECT_EQ(1, g_Installer.AbortRequested);
  ExpectCurrentDirectory(scratch_.Path());
}

TEST_F(CreateDestinationFolderTest, NothingHappensOnceAbortIsRequested) {
  MessageBoxAnswerer answerer({IDOK});
  g_Installer.AbortRequested = 1;
  std::string path = base_ + "Marrowby/Pagix/";
  CreateDestinationFolder(owner_, path.c_str(), 1);
  CreateDestinationFolder(owner_, base_.c_str(), 0);

  EXPECT_TRUE(g_Tests.empty());
  EXPECT_TRUE(g_Creations.empty());
  EXPECT_TRUE(answerer.Seen().empty());
  EXPECT_EQ(1, g_Installer.AbortRequested);
  EXPECT_FALSE(DirectoryExists(scratch_.Join("Marrowby")));
  ExpectCurrentDirectory(start_);
}

TEST_F(CreateDestinationFolderTest, RelativePathFollowsTheCurrentDirectory) {
  ASSERT_TRUE(CreateDirectoryA(scratch_.Join("rel").c_str(), nullptr));
  SetCurrentDirectoryA(scratch_.Path().c_str());
  MessageBoxAnswerer answerer;
  CreateDestinationFolder(owner_, "rel/", 0);
  ExpectCurrentDirectory(scratch_.Join("rel"));
  EXPECT_TRUE(answerer.Seen().empty());

  // The first call moved the current directory, so the same text now names "rel\rel", whose
  // climb never finds an ancestor: the empty text is all that is left to create.
  CreateDestinationFolder(owner_, "rel/", 0);
  ASSERT_EQ(1u, answerer.Seen().size());
  ExpectCannotCreate(answerer.Seen()[0], "");
  ExpectCurrentDirectory(scratch_.Join("rel"));
}

TEST_F(CreateDestinationFolderTest, PathTooLongForAPathBufferIsReportedUntouched) {
  MessageBoxAnswerer answerer;
  std::string path = base_ + std::string(300 - base_.size(), 'z');
  CreateDestinationFolder(owner_, path.c_str(), 1);

  EXPECT_TRUE(g_Tests.empty());
  EXPECT_TRUE(g_Creations.empty());
  ASSERT_EQ(1u, answerer.Seen().size());
  ExpectCannotCreate(answerer.Seen()[0], path);
  EXPECT_EQ(1, g_Installer.AbortRequested);
  ExpectCurrentDirectory(start_);
}

}  // namespace
