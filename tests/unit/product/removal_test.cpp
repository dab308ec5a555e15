// The uninstaller's removal plan over a stand-in file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/manifest.h"
#include "payload/crc32.h"
#include "product/uninstall/removal.h"
#include "tests/support/code_page_scope.h"

namespace {

// Paths use "\" like the uninstaller's own; a folder is "not empty" while anything lies below.
struct FakeDisk {
  std::set<std::string> Files;
  std::map<std::string, std::string> Content;  // a file's bytes, when not the installed ones
  std::set<std::string> Folders;
  std::map<std::string, int> Failing;  // path -> outcome to return
  bool GroupFails = false;             // Program Manager does not answer
  std::vector<std::string> Calls;      // "file <path>" / "folder <path>" / "group" / "entry"

  bool HasChildren(const std::string& folder) const {
    const std::string prefix = folder + "\\";
    for (const std::string& f : Files)
      if (f.compare(0, prefix.size(), prefix) == 0) return true;
    for (const std::string& f : Folders)
      if (f.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }

  static int RemoveFile(void* context, const char* path, unsigned long* error) {
    FakeDisk* disk = static_cast<FakeDisk*>(context);
    disk->Calls.push_back(std::string("file ") + path);
    auto failing = disk->Failing.find(path);
    if (failing != disk->Failing.end()) {
      *error = 32;
      return failing->second;
    }
    return disk->Files.erase(path) ? kRemovalDone : kRemovalAlreadyGone;
  }

  static int FileChecksum(void* context, const char* path, uint32_t* crc, unsigned long* error) {
    FakeDisk* disk = static_cast<FakeDisk*>(context);
    auto failing = disk->Failing.find(path);
    if (failing != disk->Failing.end()) {
      *error = 32;
      return failing->second;
    }
    if (!disk->Files.count(path)) return kRemovalAlreadyGone;
    auto content = disk->Content.find(path);
    *crc = CrcOf(content != disk->Content.end() ? content->second : InstalledContent(path));
    return kRemovalDone;
  }

  static uint32_t CrcOf(const std::string& text) {
    return Crc32Update(0, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
  // What the installer writes to a file: here the file's name after the folder.
  static std::string InstalledContent(const std::string& path) {
    return "installed " + path.substr(path.find('\\') + 1);
  }

  static int RemoveFolder(void* context, const char* path, unsigned long* error) {
    FakeDisk* disk = static_cast<FakeDisk*>(context);
    disk->Calls.push_back(std::string("folder ") + path);
    auto failing = disk->Failing.find(path);
    if (failing != disk->Failing.end()) {
      *error = 5;
      return failing->second;
    }
    if (!disk->Folders.count(path)) return kRemovalAlreadyGone;
    if (disk->HasChildren(path)) return kRemovalNotEmpty;
    disk->Folders.erase(path);
    return kRemovalDone;
  }

  static int ListFolder(void* context, const char* path, FolderEntryVisitor visit, void* with) {
    const FakeDisk* disk = static_cast<FakeDisk*>(context);
    for (const char* dots : {".", ".."}) visit(with, dots);
    const std::string prefix = std::string(path) + "\\";
    for (const auto* entries : {&disk->Files, &disk->Folders})
      for (const std::string& entry : *entries)
        if (entry.rfind(prefix, 0) == 0 && entry.find('\\', prefix.size()) == std::string::npos)
          visit(with, entry.c_str() + prefix.size());
    return kRemovalDone;
  }

  static void RemoveGroupItems(void* context, RemovalReport* report) {
    static_cast<FakeDisk*>(context)->Calls.push_back("group");
    if (static_cast<FakeDisk*>(context)->GroupFails)
      AddRemovalFailure(report, "g", kRemovalNoAnswer, 0);
  }
  static void RemoveEntry(void* context, RemovalReport*) {
    static_cast<FakeDisk*>(context)->Calls.push_back("entry");
  }
  RemovalOps Ops() {
    return {RemoveFile,       RemoveFolder, FileChecksum, ListFolder,
            RemoveGroupItems, RemoveEntry,  this};
  }
};

std::string Windows(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

class RemovalTest : public ::testing::Test {
 protected:
  void Install(const std::string& folder) {
    folder_ = folder;
    disk_.Folders.insert(folder);
    for (const char* name : kSubFolderNames) disk_.Folders.insert(folder + "\\" + name);
    for (const PayloadManifestRow& row : kInstallManifest)
      disk_.Files.insert(folder + "\\" + Windows(row.RelativePath));
  }
  // The build's record: every installed file but the uninstaller, as the installer wrote it.
  std::vector<uint8_t> Record(const char* without = nullptr) const {
    std::vector<uint8_t> record;
    for (const PayloadManifestRow& row : kInstallManifest) {
      const std::string name = row.RelativePath;
      if (name == kUninstallerFileName || (without && name == without)) continue;
      const uint32_t crc =
          FakeDisk::CrcOf(FakeDisk::InstalledContent(folder_ + "\\" + Windows(name)));
      for (uint32_t value : {static_cast<uint32_t>(row.ResourceId), crc}) {
        for (int i = 0; i < 4; ++i) record.push_back(static_cast<uint8_t>(value >> (8 * i)));
      }
    }
    return record;
  }
  void Remove(const std::vector<uint8_t>* record = nullptr) {
    const std::vector<uint8_t> full = Record();
    if (!record) record = &full;
    StartRemovalReport(&report_);
    const RemovalOps ops = disk_.Ops();
    RemoveInstalledProduct(folder_.c_str(), record->data(), record->size(), &ops, &report_);
    FormatRemovalReport(&report_, message_, sizeof message_);
  }
  std::string folder_;
  FakeDisk disk_;
  RemovalReport report_;
  char message_[kRemovalMessageSize];
};

TEST_F(RemovalTest, RemovesEveryFileThenTheEmptyFoldersInOrder) {
  Install("C:\\Program Files\\Marrowby\\Pagix");
  Remove();
  EXPECT_TRUE(disk_.Files.empty());
  EXPECT_TRUE(disk_.Folders.empty());
  EXPECT_EQ(report_.FailureCount, 0);
  EXPECT_EQ(message_, std::string(kUninstallDisplayName) + " was removed from your computer.");

  // The entry and the uninstaller go last, once everything else has gone.
  std::vector<std::string> expected;
  for (const PayloadManifestRow& row : kInstallManifest) {
    if (std::string(row.RelativePath) != kUninstallerFileName)
      expected.push_back("file " + folder_ + "\\" + Windows(row.RelativePath));
  }
  expected.insert(expected.end(), {"group", "entry", "file " + folder_ + "\\uninstall.exe"});
  for (int i = kSubFolderCount - 1; i >= 0; --i)
    expected.push_back("folder " + folder_ + "\\" + kSubFolderNames[i]);
  expected.push_back("folder " + folder_);
  expected.push_back("folder C:\\Program Files\\Marrowby");  // the maker's folder
  EXPECT_EQ(disk_.Calls, expected);
}

TEST_F(RemovalTest, AUsersOwnFileStaysWithItsFoldersWithoutAMessage) {
  Install("C:\\Pagix");
  disk_.Files.insert("C:\\Pagix\\SKINS\\my skin.psk");
  Remove();
  EXPECT_EQ(disk_.Files, std::set<std::string>{"C:\\Pagix\\SKINS\\my skin.psk"});
  EXPECT_EQ(disk_.Folders, (std::set<std::string>{"C:\\Pagix", "C:\\Pagix\\SKINS"}));
  EXPECT_EQ(report_.FailureCount, 0);
}

TEST_F(RemovalTest, FilesNoLongerAsInstalledAreKeptAndNamed) {
  Install("C:\\Pagix");
  disk_.Content["C:\\Pagix\\Pagix.def"] = "the user's own settings";
  // The uninstaller carries no checksum of its own file, which is removed whatever it holds.
  disk_.Content["C:\\Pagix\\uninstall.exe"] = "another build";
  const std::vector<uint8_t> record = Record("SKINS/Back.jpg");  // a file without an entry
  Remove(&record);
  EXPECT_EQ(disk_.Files,
            (std::set<std::string>{"C:\\Pagix\\Pagix.def", "C:\\Pagix\\SKINS\\Back.jpg"}));
  EXPECT_EQ(disk_.Folders, (std::set<std::string>{"C:\\Pagix", "C:\\Pagix\\SKINS"}));
  EXPECT_EQ(report_.FailureCount, 0);
  EXPECT_EQ(report_.KeptCount, 2);
  EXPECT_EQ(message_, std::string(kUninstallDisplayName) +
                          " was removed from your computer.\n\n"
                          "These files were changed after the installation and are kept:\n\n"
                          "C:\\Pagix\\Pagix.def\nC:\\Pagix\\SKINS\\Back.jpg\n");
}

TEST_F(RemovalTest, WhatIsAlreadyGoneIsNoError) {
  Install("C:\\Pagix");
  disk_.Files.erase("C:\\Pagix\\Pagix.def");
  disk_.Folders.erase("C:\\Pagix\\PF1");
  disk_.Files.erase("C:\\Pagix\\PF1\\Pagix.pf2");
  Remove();
  EXPECT_EQ(report_.FailureCount, 0);
  EXPECT_TRUE(disk_.Folders.empty());
}

TEST_F(RemovalTest, FailuresAreListedAndEverythingElseIsStillRemoved) {
  Install("C:\\Pagix");
  disk_.Failing["C:\\Pagix\\Pagix.def"] = kRemovalInUse;
  disk_.Failing["C:\\Pagix\\LANG"] = kRemovalDenied;
  disk_.Failing["C:\\Pagix\\SKINS\\Back.jpg"] = kRemovalFailed;
  Remove();
  // Every other file is gone, but the uninstaller, which stays with the entry for another run.
  EXPECT_EQ(disk_.Files,
            (std::set<std::string>{"C:\\Pagix\\Pagix.def", "C:\\Pagix\\SKINS\\Back.jpg",
                                   "C:\\Pagix\\uninstall.exe"}));
  EXPECT_EQ(std::count(disk_.Calls.begin(), disk_.Calls.end(), "entry"), 0);
  EXPECT_EQ(report_.FailureCount, 3);
  const std::string message = message_;
  EXPECT_NE(message.find("Some parts of Pagix 0.9d could not be removed"), std::string::npos);
  EXPECT_NE(message.find("C:\\Pagix\\Pagix.def (in use)\n"), std::string::npos) << message;
  EXPECT_NE(message.find("C:\\Pagix\\SKINS\\Back.jpg (error 32)\n"), std::string::npos) << message;
  EXPECT_NE(message.find("C:\\Pagix\\LANG (access denied)\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\nuninstall.exe stays"), std::string::npos) << message;
  // The folders kept because of the failed files are not reported on their own.
  EXPECT_EQ(message.find("C:\\Pagix\\SKINS ("), std::string::npos) << message;
  EXPECT_EQ(message.find("C:\\Pagix ("), std::string::npos) << message;
}

TEST_F(RemovalTest, APathTooLongIsReportedAndNeverTriedCut) {
  // A cut path would name a different file; it must not reach the file system at all.
  Install("C:\\" + std::string(230, 'p'));
  Remove();
  for (const std::string& call : disk_.Calls) {
    EXPECT_LE(call.size() - call.find(' ') - 1, 259u) << call;
  }
  const std::string message = message_;
  EXPECT_NE(message.find("DICTIONARY/Webster 1913 - Micro.zip, path too long"), std::string::npos)
      << message;
  EXPECT_TRUE(disk_.Files.count(folder_ + "\\DICTIONARY\\Webster 1913 - Micro.zip"));
  EXPECT_FALSE(disk_.Files.count(folder_ + "\\Pagix.exe"));
}

TEST_F(RemovalTest, AnUninstallerInPlaceLeavesItselfAndItsFolderAndSaysSo) {
  Install("C:\\Pagix");
  disk_.Failing["C:\\Pagix\\uninstall.exe"] = kRemovalLeftInPlace;
  disk_.Content["C:\\Pagix\\PF1\\Pagix.pf2"] = "changed";
  Remove();
  EXPECT_EQ(disk_.Files,
            (std::set<std::string>{"C:\\Pagix\\uninstall.exe", "C:\\Pagix\\PF1\\Pagix.pf2"}));
  EXPECT_EQ(report_.FailureCount, 0);
  const std::string message = message_;
  const std::string left =
      "\n\nuninstall.exe and its folder C:\\Pagix remain; you may delete them by hand.";
  ASSERT_GT(message.size(), left.size());
  EXPECT_EQ(message.substr(message.size() - left.size()), left) << message;

  // Alone, the line is the whole message.
  disk_ = FakeDisk();
  Install("C:\\Pagix");
  disk_.Failing["C:\\Pagix\\uninstall.exe"] = kRemovalLeftInPlace;
  Remove();
  EXPECT_EQ(report_.FailureCount, 0);
  EXPECT_EQ(std::string("\n\n") + message_, left);
}

// The default destination's own parent, the maker's folder, goes with the installation when
// nothing else is in it; any other parent stays.
TEST_F(RemovalTest, TheMakersFolderGoesOnlyWhenItIsEmptyAndNamedSo) {
  struct Case {
    const char* Folder;
    const char* Parent;
    bool ParentGoes;
    const char* Other = nullptr;  // something else in the parent
    int CodePage = 0;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Marrowby\\Pagix", "C:\\Program Files\\Marrowby", true},
      {"C:\\marrowBY\\Pagix", "C:\\marrowBY", true},
      {"\\\\server\\share\\Marrowby\\Pagix", "\\\\server\\share\\Marrowby", true},
      {"C:\\Program Files\\Marrowby\\Pagix", "C:\\Program Files\\Marrowby", false,
       "C:\\Program Files\\Marrowby\\Other"},
      {"C:\\Program Files\\Maker\\Pagix", "C:\\Program Files\\Maker", false},
      {"C:\\Program Files\\Marrowby2\\Pagix", "C:\\Program Files\\Marrowby2", false},
      {"C:\\Program Files\\Marrow\\Pagix", "C:\\Program Files\\Marrow", false},
      {"C:\\M\\Pagix", "C:\\M", false},
      // A share is no folder of the maker's to remove.
      {"\\\\server\\Marrowby\\Pagix", "\\\\server\\Marrowby", false},
      // The second byte of ソ is the byte of "\\": the parent is "ソMarrowby".
      {"C:\\" CP932_SO "Marrowby\\Pagix", "C:\\" CP932_SO "Marrowby", false, nullptr, 932},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Folder);
    pagix_test::CodePageScope scope(c.CodePage);
    disk_ = FakeDisk();
    disk_.Folders.insert(c.Parent);
    if (c.Other) disk_.Folders.insert(c.Other);
    Install(c.Folder);
    Remove();
    EXPECT_FALSE(disk_.Folders.count(c.Folder));
    EXPECT_EQ(!c.ParentGoes, disk_.Folders.count(c.Parent) == 1);
    EXPECT_EQ(report_.FailureCount, 0);
  }
}

// A copy of the uninstaller among files of its own is no installation; one installed file still
// as installed beside it is.
TEST_F(RemovalTest, AFolderHoldsAnInstallationWhenAnotherFileIsAsInstalled) {
  struct Case {
    std::vector<std::string> Files;  // below C:\\Pagix
    const char* Changed;             // one of them, no longer as installed
    bool Holds;
  };
  const Case cases[] = {
      {{}, nullptr, false},
      {{"uninstall.exe"}, nullptr, false},
      {{"uninstall.exe", "Pagix.def", "notes.txt"}, "Pagix.def", false},
      {{"uninstall.exe", "SKINS\\Space.psk"}, nullptr, true},
      {{"Pagix.def", "notes.txt"}, nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Files));
    disk_ = FakeDisk();
    folder_ = "C:\\Pagix";
    for (const std::string& file : c.Files) disk_.Files.insert(folder_ + "\\" + file);
    if (c.Changed) disk_.Content[folder_ + "\\" + c.Changed] = "the user's own";
    const std::vector<uint8_t> record = Record();
    const RemovalOps ops = disk_.Ops();
    EXPECT_EQ(c.Holds,
              HoldsInstalledFile(folder_.c_str(), record.data(), record.size(), &ops) == 1);
    EXPECT_TRUE(disk_.Calls.empty()) << "nothing is removed";
  }
}

// Program Manager's silence keeps them too.
TEST_F(RemovalTest, AGroupThatStaysKeepsTheEntryAndTheUninstaller) {
  Install("C:\\Pagix");
  disk_.GroupFails = true;
  Remove();
  EXPECT_EQ(disk_.Files, std::set<std::string>{"C:\\Pagix\\uninstall.exe"});
  EXPECT_EQ(std::count(disk_.Calls.begin(), disk_.Calls.end(), "entry"), 0);
}

// A folder whose removal fails (as when another process has it as its current folder) is named
// only while nothing but the installation's own is in it; one that holds anything else is kept
// without a word, whatever the error.
TEST_F(RemovalTest, AFolderThatFailsIsNamedOnlyWhileItHoldsNothingButOurs) {
  struct Case {
    const char* Folder;  // fails as in use
    const char* Busy;    // an installed file in use
    const char* Other;   // not the installation's
    bool Named;
  };
  const Case cases[] = {
      {"C:\\Marrowby\\Pagix", nullptr, "C:\\Marrowby\\Pagix\\notes.txt", false},
      {"C:\\Marrowby\\Pagix", "C:\\Marrowby\\Pagix\\Pagix.exe", nullptr, true},
      {"C:\\Marrowby\\Pagix\\SKINS", "C:\\Marrowby\\Pagix\\SKINS\\Back.jpg", nullptr, true},
      // Named like an installed file, but not at its place.
      {"C:\\Marrowby\\Pagix\\SKINS", nullptr, "C:\\Marrowby\\Pagix\\SKINS\\Pagix.exe", false},
      // Nothing in the maker's folder is the installation's own.
      {"C:\\Marrowby", nullptr, nullptr, true},
      {"C:\\Marrowby", nullptr, "C:\\Marrowby\\Pagix.def", false},
  };
  for (const Case& c : cases) {
    disk_ = FakeDisk();
    disk_.Folders.insert("C:\\Marrowby");
    Install("C:\\Marrowby\\Pagix");
    disk_.Failing[c.Folder] = kRemovalInUse;
    if (c.Busy) disk_.Failing[c.Busy] = kRemovalInUse;
    if (c.Other) disk_.Files.insert(c.Other);
    Remove();
    SCOPED_TRACE(message_);
    EXPECT_EQ(std::string(message_).find(c.Folder + std::string(" (in use)")) != std::string::npos,
              c.Named);
    EXPECT_EQ(report_.FailureCount, (c.Busy ? 1 : 0) + (c.Named ? 1 : 0));
  }
}

TEST_F(RemovalTest, TheRootOfADriveIsNeverRemoved) {
  Install("D:");
  Remove();
  for (const std::string& call : disk_.Calls) EXPECT_NE(call, "folder D:");
  EXPECT_EQ(report_.FailureCount, 0);
}

TEST(RemovalReport, ManyFailuresEndInACountThatFits) {
  RemovalReport report;
  StartRemovalReport(&report);
  const std::string what = "C:\\" + std::string(200, 'x');
  for (int i = 0; i < 40; ++i) AddRemovalFailure(&report, what.c_str(), kRemovalInUse, 32);
  report.UninstallerStays = 1;  // the longer closing line
  EXPECT_EQ(report.FailureCount, 40);
  EXPECT_GT(report.ListedCount, 0);
  EXPECT_LT(report.ListedCount, 40);
  char message[kRemovalMessageSize];
  FormatRemovalReport(&report, message, sizeof message);
  char expected_more[32];
  snprintf(expected_more, sizeof expected_more, "and %d more\n", 40 - report.ListedCount);
  const std::string text = message;
  EXPECT_NE(text.find(expected_more), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 7), " again.") << "the closing line was cut";
}

TEST(RemovalReport, ALongLineDoesNotLetLaterShortOnesJumpTheQueue) {
  RemovalReport report;
  StartRemovalReport(&report);
  AddRemovalFailure(&report, "first", kRemovalInUse, 0);
  const std::string huge(kRemovalLinesSize, 'h');
  AddRemovalFailure(&report, huge.c_str(), kRemovalInUse, 0);
  AddRemovalFailure(&report, "third", kRemovalInUse, 0);
  EXPECT_EQ(report.ListedCount, 1);
  EXPECT_STREQ(report.Lines, "first (in use)\n");
}

TEST(ComposeInstalledPath, JoinsWithBackslashesAndRefusesWhatDoesNotFit) {
  char path[40];
  EXPECT_EQ(ComposeInstalledPath(path, sizeof path, "C:/odd/P", "SKINS/Back.jpg"), 1);
  EXPECT_STREQ(path, "C:/odd/P\\SKINS\\Back.jpg");  // the folder is kept as given
  EXPECT_EQ(ComposeInstalledPath(path, 20, "C:\\Pagix", "SKINS/Back.jpg"), 0);
  EXPECT_STREQ(path, "");
}

}  // namespace
