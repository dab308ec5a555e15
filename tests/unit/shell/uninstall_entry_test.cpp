#include "shell/uninstall_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "tests/support/code_page_scope.h"

namespace {

using pagix_test::CodePageScope;

const char kKeyPrefix[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(UninstallEntry, KeyPathFitsUpTo207CharactersAndRefusesLonger) {
  ASSERT_EQ(52u, sizeof kKeyPrefix - 1);
  struct Case {
    size_t NameLength;
    int Fits;
  };
  for (Case c : {Case{5, 1}, Case{207, 1}, Case{208, 0}, Case{400, 0}}) {
    SCOPED_TRACE(c.NameLength);
    std::string name(c.NameLength, 'k');
    char out[kPathBufferSize + 4];
    std::fill(out, out + sizeof out, '#');
    EXPECT_EQ(c.Fits, FormatUninstallKeyPath(out, kPathBufferSize, name.c_str()));
    // A refused key leaves nothing behind, so no shorter key can be written by mistake.
    EXPECT_EQ(c.Fits ? std::string(kKeyPrefix) + name : std::string(), std::string(out));
    EXPECT_EQ("####", std::string(out + kPathBufferSize, 4));
  }
}

// The names the list of installed programs reads; the installer writes and the uninstaller
// deletes the values by this one table, so a misspelt or swapped name would pass both unseen.
TEST(UninstallEntry, ValueNamesAreTheOnesTheListReads) {
  const char* const names[] = {"DisplayName",   "UninstallString", "DisplayVersion",
                               "Publisher",     "InstallLocation", "DisplayIcon",
                               "EstimatedSize", "NoModify",        "NoRepair"};
  ASSERT_EQ(std::size(names), static_cast<size_t>(kUninstallEntryValueCount));
  for (size_t i = 0; i < std::size(names); ++i)
    EXPECT_STREQ(kUninstallEntryValueNames[i], names[i]);
}

TEST(UninstallEntry, CommandIsQuotedOrRefusedWhole) {
  char out[kUninstallCommandSize + 4];
  ASSERT_EQ(1, FormatUninstallCommand(out, kUninstallCommandSize,
                                      "C:/Program Files/Marrowby/Pagix/uninstall.exe"));
  EXPECT_EQ("\"C:/Program Files/Marrowby/Pagix/uninstall.exe\"", std::string(out));
  EXPECT_EQ(47u, std::string(out).size());

  // The longest path text (259 characters) still fits in its quotation marks.
  std::string longest(259, 'p');
  std::fill(out, out + sizeof out, '#');
  ASSERT_EQ(1, FormatUninstallCommand(out, kUninstallCommandSize, longest.c_str()));
  EXPECT_EQ("\"" + longest + "\"", std::string(out));

  std::string tooLong(260, 'p');
  std::fill(out, out + sizeof out, '#');
  EXPECT_EQ(0, FormatUninstallCommand(out, kUninstallCommandSize, tooLong.c_str()));
  EXPECT_EQ("", std::string(out));
  EXPECT_EQ("####", std::string(out + kUninstallCommandSize, 4));
}

TEST(UninstallEntry, InstalledPathsInBackslashFormWithoutTrailingSeparator) {
  struct Row {
    const char* Destination;
    const char* Relative;
    const char* Path;
  };
  // Backslashes in the expected paths are single 0x5C bytes (raw literals).
  const Row rows[] = {
      {"C:/Program Files/Marrowby/Pagix/", "", R"(C:\Program Files\Marrowby\Pagix)"},
      {"C:/Program Files/Marrowby/Pagix/", "Pagix.exe",
       R"(C:\Program Files\Marrowby\Pagix\Pagix.exe)"},
      // "C:" alone would name the drive's current folder.
      {"C:/", "", R"(C:\)"},
      {"C:/", "Pagix.exe", R"(C:\Pagix.exe)"},
      {"//server/share/", "", R"(\\server\share)"},
      {"//server/share/Pagix/", "Pagix.exe", R"(\\server\share\Pagix\Pagix.exe)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.Destination) + row.Relative);
    char out[kPathBufferSize];
    EXPECT_EQ(1, FormatInstalledPath(out, sizeof out, row.Destination, row.Relative));
    EXPECT_EQ(std::string(row.Path), out);
  }
  // The longest path that fits is written whole; one more character is refused, never cut.
  const std::string folder = "C:/" + std::string(246, 'f') + "/";
  char out[kPathBufferSize + 4];
  std::fill(out, out + sizeof out, '#');
  EXPECT_EQ(1, FormatInstalledPath(out, kPathBufferSize, folder.c_str(), "Pagix.exe"));
  EXPECT_EQ(259u, std::string(out).size());
  EXPECT_EQ(0, FormatInstalledPath(out, kPathBufferSize, folder.c_str(), "Pagix.exe2"));
  EXPECT_EQ("", std::string(out));
  EXPECT_EQ("####", std::string(out + kPathBufferSize, 4));
}

struct FolderCase {
  const char* Command;
  const char* Folder;  // empty: none
  int CodePage = 0;    // 0: single-byte text
};

TEST(UninstallCommandFolder, IsTheProgramsFolderAsSpelt) {
  const FolderCase cases[] = {
      // As the installer writes it: normalised destination, forward slashes, no quotes.
      {"C:/Program Files/Marrowby/Pagix/uninstall.exe", "C:/Program Files/Marrowby/Pagix"},
      {"\"C:\\Program Files\\Marrowby\\Pagix\\uninstall.exe\"",
       "C:\\Program Files\\Marrowby\\Pagix"},
      {"\"c:\\progra~1\\pagix\\\\uninstall.exe\" /x", "c:\\progra~1\\pagix"},
      {"  C:\\P\\uninstall.exe  ", "C:\\P"},
      {"//server/share/Pagix/uninstall.exe", "//server/share/Pagix"},
      {"uninstall.exe", ""},
      {"\"uninstall.exe\" C:\\x\\y", ""},
      {"", ""},
      // Names ending in 0x5C, at the end of the folder and as the whole folder.
      {"C:/Data/" CP932_ICHIRAN CP932_HYO "/uninstall.exe", "C:/Data/" CP932_ICHIRAN CP932_HYO,
       932},
      {"\"C:\\" CP932_SO CP932_FUTO "\\Pagix\\uninstall.exe\"",
       "C:\\" CP932_SO CP932_FUTO "\\Pagix", 932},
      {CP932_HYO "uninstall.exe", "", 932},
      {"  " CP950_GONG "\\uninstall.exe ", CP950_GONG, 950},
      {"C:\\" CP936_JUE CP936_JOU "\\uninstall.exe", "C:\\" CP936_JUE CP936_JOU, 936},
  };
  for (const FolderCase& c : cases) {
    CodePageScope scope(c.CodePage);
    char folder[260] = "unchanged";
    EXPECT_EQ(UninstallCommandFolder(c.Command, folder, sizeof folder), c.Folder[0] != '\0')
        << c.Command;
    EXPECT_STREQ(folder, c.Folder) << c.Command;
  }
  char small[8];
  EXPECT_EQ(UninstallCommandFolder("C:/Marrowby/uninstall.exe", small, sizeof small), 0);
  EXPECT_STREQ(small, "");
}

}  // namespace
