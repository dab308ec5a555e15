// The uninstaller's command line: the original's arguments, the copy's arguments, the folder
// that the Add/Remove Programs entry names, and the temporary copy's name.
#include <gtest/gtest.h>

#include <string>

#include "product/uninstall/command_line.h"
#include "tests/support/code_page_scope.h"

namespace {

using pagix_test::CodePageScope;

struct ParseCase {
  const char* Name;
  std::string Arguments;
  int Mode;
  unsigned long Handle;
  const char* Folder;
  int CodePage = 0;  // 0: single-byte text
};

class UninstallArgumentsParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(UninstallArgumentsParse, Reads) {
  const ParseCase& c = GetParam();
  CodePageScope scope(c.CodePage);
  UninstallArguments parsed;
  ParseUninstallArguments(c.Arguments.c_str(), &parsed);
  EXPECT_EQ(parsed.Mode, c.Mode);
  if (c.Mode == kUninstallTemporaryCopy) {
    EXPECT_EQ(parsed.OriginalProcess, c.Handle);
    EXPECT_STREQ(parsed.Folder, c.Folder);
  }
}

const std::string kLongFolder(300, 'f');

INSTANTIATE_TEST_SUITE_P(
    Cases, UninstallArgumentsParse,
    ::testing::Values(
        ParseCase{"None", "", kUninstallStartedByUser, 0, ""},
        ParseCase{"Blanks", " \t ", kUninstallStartedByUser, 0, ""},
        // An unquoted "C:/Program Files/..." program path leaves its tail as arguments.
        ParseCase{"TailOfUnquotedPath", "Files/Marrowby/Pagix/uninstall.exe",
                  kUninstallStartedByUser, 0, ""},
        ParseCase{"SwitchPrefixOnly", "/copy12 \"C:\\P\"", kUninstallStartedByUser, 0, ""},
        ParseCase{"Copy", "/copy 123 \"C:\\Program Files\\Marrowby\\Pagix\"",
                  kUninstallTemporaryCopy, 123, "C:\\Program Files\\Marrowby\\Pagix"},
        ParseCase{"CopyUpperCaseAndBlanks", "  /COPY   4294967295   \"D:\\P\"  ",
                  kUninstallTemporaryCopy, 4294967295ul, "D:\\P"},
        ParseCase{"CopyWithTabs", "\t/copy\t9\t\"D:\\P\"\t", kUninstallTemporaryCopy, 9, "D:\\P"},
        ParseCase{"TrailingSeparatorsDropped", "/copy 7 \"C:/P//\"", kUninstallTemporaryCopy, 7,
                  "C:/P"},
        ParseCase{"NoHandle", "/copy \"C:\\P\"", kUninstallBadArguments, 0, ""},
        ParseCase{"ZeroHandle", "/copy 0 \"C:\\P\"", kUninstallBadArguments, 0, ""},
        ParseCase{"HandleTooBig", "/copy 4294967296 \"C:\\P\"", kUninstallBadArguments, 0, ""},
        ParseCase{"HandleWithLetters", "/copy 12a \"C:\\P\"", kUninstallBadArguments, 0, ""},
        ParseCase{"UnquotedFolder", "/copy 12 C:\\P", kUninstallBadArguments, 0, ""},
        ParseCase{"UnclosedQuote", "/copy 12 \"C:\\P", kUninstallBadArguments, 0, ""},
        ParseCase{"EmptyFolder", "/copy 12 \"\"", kUninstallBadArguments, 0, ""},
        ParseCase{"OnlySeparators", "/copy 12 \"\\\\\"", kUninstallBadArguments, 0, ""},
        ParseCase{"SomethingAfter", "/copy 12 \"C:\\P\" more", kUninstallBadArguments, 0, ""},
        ParseCase{"SwitchAlone", "/copy", kUninstallBadArguments, 0, ""},
        ParseCase{"FolderTooLong", "/copy 12 \"" + kLongFolder + "\"", kUninstallBadArguments, 0,
                  ""},
        // A last character ending in 0x5C is no trailing separator.
        ParseCase{"JapaneseFolder", "/copy 5 \"C:\\Data\\" CP932_ICHIRAN CP932_HYO "\"",
                  kUninstallTemporaryCopy, 5, "C:\\Data\\" CP932_ICHIRAN CP932_HYO, 932},
        ParseCase{"ChineseFolder", "/copy 5 \"C:\\" CP936_JOU "\\\"", kUninstallTemporaryCopy, 5,
                  "C:\\" CP936_JOU, 936},
        ParseCase{"TraditionalFolder", "/copy 5 \"" CP950_GONG "\"", kUninstallTemporaryCopy, 5,
                  CP950_GONG, 950}),
    [](const ::testing::TestParamInfo<ParseCase>& p) { return p.param.Name; });

// Whether a "\" character (not the second byte of one) stands right before a quote.
bool BackslashBeforeQuote(const std::string& line) {
  for (size_t i = 0; i < line.size(); i += CharacterLength(&line[i])) {
    if (line[i] == '\\' && line[i + 1] == '"') return true;
  }
  return false;
}

// The part of a command line after its quoted program path, as WinMain hands it over.
std::string ArgumentsOf(const std::string& commandLine) {
  const size_t close = commandLine.find('"', 1);
  return commandLine.substr(close + 1);
}

TEST(UninstallCopyCommandLine, ParsesBackToTheSameHandleAndFolder) {
  struct Case {
    const char* Folder;
    const char* Expected;
    int CodePage;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Marrowby\\Pagix", "C:\\Program Files\\Marrowby\\Pagix", 0},
      {"C:\\Program Files\\Pagix\\", "C:\\Program Files\\Pagix", 0},
      {"E:/odd/place/", "E:/odd/place", 0},
      {"C:\\" CP932_SO CP932_FUTO "\\" CP932_ICHIRAN CP932_HYO,
       "C:\\" CP932_SO CP932_FUTO "\\" CP932_ICHIRAN CP932_HYO, 932},
      {"C:\\" CP950_GONG "\\", "C:\\" CP950_GONG, 950},
  };
  for (const Case& c : cases) {
    CodePageScope scope(c.CodePage);
    const char* folder = c.Folder;
    char line[600];
    ASSERT_EQ(FormatCopyCommandLine(line, sizeof line, "C:\\Temp\\pagix-uninstall-1-0.exe", 0x1A4ul,
                                    folder),
              1);
    EXPECT_FALSE(BackslashBeforeQuote(line))
        << "a backslash before a quote is read as an escaped quote by C runtimes: " << line;
    UninstallArguments parsed;
    ParseUninstallArguments(ArgumentsOf(line).c_str(), &parsed);
    ASSERT_EQ(parsed.Mode, kUninstallTemporaryCopy) << line;
    EXPECT_EQ(parsed.OriginalProcess, 0x1A4ul);
    EXPECT_STREQ(parsed.Folder, c.Expected);
  }
}

TEST(UninstallCopyCommandLine, ReportsWhenItDoesNotFit) {
  char line[20];
  EXPECT_EQ(FormatCopyCommandLine(line, sizeof line, "C:\\Temp\\copy.exe", 1, "C:\\P"), 0);
  EXPECT_LT(strlen(line), sizeof line);
}

// The uninstaller's buffer holds the line for the longest paths and handle there are.
TEST(UninstallCopyCommandLine, TheLongestFitsItsBuffer) {
  const std::string copy = "C:\\" + std::string(kPathBufferSize - 4, 'c');
  const std::string folder = "D:\\" + std::string(kPathBufferSize - 4, 'f');
  char line[kCopyCommandLineSize];
  ASSERT_EQ(FormatCopyCommandLine(line, sizeof line, copy.c_str(), 0xFFFFFFFFul, folder.c_str()),
            1);
  UninstallArguments parsed;
  ParseUninstallArguments(line + copy.size() + 2, &parsed);
  EXPECT_EQ(parsed.OriginalProcess, 0xFFFFFFFFul);
  EXPECT_EQ(parsed.Folder, folder);
}

TEST(TemporaryCopyName, OnlyTheCopiesOwnNamesMatch) {
  char path[260];
  ASSERT_EQ(FormatTemporaryCopyPath(path, sizeof path, "C:\\Temp\\", 4294967295ul, 99), 1);
  EXPECT_STREQ(path, "C:\\Temp\\pagix-uninstall-4294967295-99.exe");
  EXPECT_EQ(FormatTemporaryCopyPath(path, 20, "C:\\Temp\\", 12, 0), 0);
  EXPECT_TRUE(IsTemporaryCopyName("pagix-uninstall-4294967295-99.exe"));
  EXPECT_TRUE(IsTemporaryCopyName("PAGIX-Uninstall-1-0.EXE"));
  for (const char* other :
       {"pagix-uninstall-1-0.exe.bak", "pagix-uninstall--0.exe", "pagix-uninstall-1-.exe",
        "pagix-uninstall-1.exe", "pagix-uninstall-a-0.exe", "pagix-uninstall-1-0.ex", "Pagix.def",
        "my pagix-uninstall-1-0.exe", ""}) {
    EXPECT_FALSE(IsTemporaryCopyName(other)) << other;
  }
}

}  // namespace
