// The uninstaller's command line: the original's arguments, the copy's arguments, and the
// check that the Add/Remove Programs entry names our folder.
#include <gtest/gtest.h>

#include <string>

#include "product/uninstall/command_line.h"

namespace {

struct ParseCase {
  const char* Name;
  std::string Arguments;
  int Mode;
  unsigned long Handle;
  const char* Folder;
};

class UninstallArgumentsParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(UninstallArgumentsParse, Reads) {
  const ParseCase& c = GetParam();
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
                  ""}),
    [](const ::testing::TestParamInfo<ParseCase>& p) { return p.param.Name; });

// The part of a command line after its quoted program path, as WinMain hands it over.
std::string ArgumentsOf(const std::string& commandLine) {
  const size_t close = commandLine.find('"', 1);
  return commandLine.substr(close + 1);
}

TEST(UninstallCopyCommandLine, ParsesBackToTheSameHandleAndFolder) {
  const char* folders[] = {"C:\\Program Files\\Marrowby\\Pagix", "C:\\Program Files\\Pagix\\",
                           "E:/odd/place/"};
  for (const char* folder : folders) {
    char line[600];
    ASSERT_EQ(FormatCopyCommandLine(line, sizeof line, "C:\\Temp\\pagix-uninstall-1-0.exe", 0x1A4ul,
                                    folder),
              1);
    EXPECT_EQ(std::string(line).find("\\\""), std::string::npos)
        << "a backslash before a quote is read as an escaped quote by C runtimes: " << line;
    UninstallArguments parsed;
    ParseUninstallArguments(ArgumentsOf(line).c_str(), &parsed);
    ASSERT_EQ(parsed.Mode, kUninstallTemporaryCopy) << line;
    EXPECT_EQ(parsed.OriginalProcess, 0x1A4ul);
    std::string expected = folder;
    while (expected.back() == '\\' || expected.back() == '/') expected.pop_back();
    EXPECT_EQ(parsed.Folder, expected);
  }
}

TEST(UninstallCopyCommandLine, ReportsWhenItDoesNotFit) {
  char line[20];
  EXPECT_EQ(FormatCopyCommandLine(line, sizeof line, "C:\\Temp\\copy.exe", 1, "C:\\P"), 0);
  EXPECT_LT(strlen(line), sizeof line);
}

struct FolderCase {
  const char* Command;
  const char* Folder;
  int Expected;
};

TEST(UninstallCommandNamesFolder, ComparesTheProgramsFolder) {
  const FolderCase cases[] = {
      // As the installer writes it: normalised destination, forward slashes, no quotes.
      {"C:/Program Files/Marrowby/Pagix/uninstall.exe", "C:\\Program Files\\Marrowby\\Pagix", 1},
      {"\"C:\\Program Files\\Marrowby\\Pagix\\uninstall.exe\"",
       "C:\\Program Files\\Marrowby\\Pagix", 1},
      {"\"c:\\program files\\marrowby\\pagix\\uninstall.exe\" /x",
       "C:\\Program Files\\Marrowby\\Pagix\\", 1},
      {"  C:\\P\\uninstall.exe  ", "C:\\P", 1},
      {"C:/Other/uninstall.exe", "C:\\Program Files\\Marrowby\\Pagix", 0},
      {"C:/Pag/uninstall.exe", "C:\\Pagix", 0},
      {"C:/Pagix/sub/uninstall.exe", "C:\\Pagix", 0},
      {"uninstall.exe", "C:\\Pagix", 0},
      {"", "C:\\Pagix", 0},
      {"C:/Pagix/uninstall.exe", "", 0},
  };
  for (const FolderCase& c : cases) {
    EXPECT_EQ(UninstallCommandNamesFolder(c.Command, c.Folder), c.Expected)
        << c.Command << " / " << c.Folder;
  }
}

}  // namespace
