// The arguments that the product programs' entry hands to WinMain.
#include <gtest/gtest.h>

#include "base/program_arguments.h"

namespace {

struct ArgumentsCase {
  const char* Name;
  const char* CommandLine;
  const char* Arguments;
};

class ProgramArgumentsOf : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(ProgramArgumentsOf, CommandLine) {
  const ArgumentsCase& c = GetParam();
  EXPECT_STREQ(ProgramArguments(c.CommandLine), c.Arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramArgumentsOf,
    ::testing::Values(
        ArgumentsCase{"Empty", "", ""}, ArgumentsCase{"NameOnly", "uninstall.exe", ""},
        ArgumentsCase{"BlanksAfterName", "uninstall.exe \t ", ""},
        // The copy's command line: quoted path with spaces, then the quoted folder.
        ArgumentsCase{"QuotedPathWithSpaces",
                      "\"C:\\Temp Files\\pagix-uninstall-1-0.exe\"  /copy 12 \"C:\\P Q\"",
                      "/copy 12 \"C:\\P Q\""},
        ArgumentsCase{"QuotedPathThenTab", "\"C:\\u.exe\"\t/copy", "/copy"},
        ArgumentsCase{"QuotedPathNoBlank", "\"C:\\u.exe\"/copy 1", "1"},
        // Unquoted, a path with spaces ends at its first space.
        ArgumentsCase{"UnquotedPathWithSpaces", "C:\\Program Files\\Marrowby\\Pagix\\uninstall.exe",
                      "Files\\Marrowby\\Pagix\\uninstall.exe"},
        ArgumentsCase{"QuoteInsideName", "C:\\\"Program Files\"\\u.exe a", "a"},
        ArgumentsCase{"UnclosedQuote", "\"C:\\Program Files\\u.exe /copy", ""},
        ArgumentsCase{"ByteAbove127InName",
                      "C:\\M\xFC"
                      "ller\\u.exe x",
                      "x"},
        ArgumentsCase{"ControlCharacterEndsName", "u.exe\x01x", "x"}),
    [](const ::testing::TestParamInfo<ArgumentsCase>& p) { return p.param.Name; });

}  // namespace
