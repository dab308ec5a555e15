#include "paths/chooser_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "paths/path_text.h"
#include "tests/support/code_page_scope.h"

namespace {

using pagix_test::CodePageScope;

TEST(ComputeInitialFolderTest, DrivePartAndDirectoryPart) {
  struct Row {
    const char* Input;
    const char* Expected;
    int CodePage = 0;  // 0: single-byte text
  };
  // Backslashes are single 0x5C bytes (raw literals).
  const Row rows[] = {
      {R"(C:\Program Files\Marrowby\Pagix\*.*)", R"(C:\Program Files\Marrowby\Pagix\)"},
      {R"(\*.*)", R"(\)"},  // the field was empty
      {R"(D:\*.*)", R"(D:\)"},
      {R"(C:\X\\*.*)", R"(C:\X\\)"},  // the field ended with "\"
      {R"(C:*.*)", "C:"},
      {"c:/a/b/*.*", "c:/a/b/"},
      {R"(a/b\*.*)", R"(a/b\)"},
      {"*.*", ""},
      {"", ""},
      // A second byte 0x5C is no separator.
      {"C:\\" CP932_SO "\\" CP932_ICHIRAN CP932_HYO "\\*.*",
       "C:\\" CP932_SO "\\" CP932_ICHIRAN CP932_HYO "\\", 932},
      {"C:\\" CP932_HYO "*.*", "C:\\", 932},
      {CP950_GONG "*.*", "", 950},
      {"C:\\" CP936_JOU "\\" CP936_JOU, "C:\\" CP936_JOU "\\", 936},
  };
  for (const Row& row : rows) {
    CodePageScope scope(row.CodePage);
    SCOPED_TRACE(row.Input);
    char out[kPathBufferSize];
    EXPECT_EQ(1, ComputeInitialFolder(out, row.Input));
    EXPECT_STREQ(row.Expected, out);
    char inPlace[kPathBufferSize];
    std::strcpy(inPlace, row.Input);
    ComputeInitialFolder(inPlace, inPlace);
    EXPECT_STREQ(row.Expected, inPlace);
  }
}

TEST(ComputeInitialFolderTest, OverlongFolderStaysInsideThePathBuffer) {
  std::string input = "C:\\" + std::string(300, 'a') + "\\*.*";
  char out[kPathBufferSize + 1];
  out[kPathBufferSize] = 0x5A;
  EXPECT_EQ(0, ComputeInitialFolder(out, input.c_str()));
  EXPECT_EQ(259u, std::strlen(out));
  EXPECT_EQ(0x5A, out[kPathBufferSize]);
  // A character that would straddle the limit is left out whole.
  CodePageScope scope(932);
  input = "C:\\" + std::string(255, 'a') + CP932_HYO "\\*.*";
  EXPECT_EQ(0, ComputeInitialFolder(out, input.c_str()));
  EXPECT_EQ(input.substr(0, 258), out);
}

TEST(ComposeChosenPathTest, PatternFollowsTheChosenFolder) {
  struct Row {
    const char* Chosen;
    const char* Result;
    const char* Field;  // what Browse puts into the field after cutting the pattern off
    int CodePage = 0;   // 0: single-byte text
  };
  const Row rows[] = {
      {R"(c:\)", R"(c:\*.*)", R"(c:\)"},
      {R"(c:\program files\x)", R"(c:\program files\x\*.*)", R"(c:\program files\x\)"},
      {R"(c:\games)", R"(c:\games\*.*)", R"(c:\games\)"},
      {"", R"(\*.*)", R"(\)"},
      // A folder whose last character ends in 0x5C gets its "\" like any other.
      {"c:\\" CP932_ICHIRAN CP932_HYO, "c:\\" CP932_ICHIRAN CP932_HYO "\\*.*",
       "c:\\" CP932_ICHIRAN CP932_HYO "\\", 932},
      {"c:\\" CP950_GONG, "c:\\" CP950_GONG "\\*.*", "c:\\" CP950_GONG "\\", 950},
      {"c:\\" CP936_JOU, "c:\\" CP936_JOU "\\*.*", "c:\\" CP936_JOU "\\", 936},
  };
  for (const Row& row : rows) {
    CodePageScope scope(row.CodePage);
    SCOPED_TRACE(row.Chosen);
    char path[kPathBufferSize] = "unchanged";
    EXPECT_EQ(1, ComposeChosenPath(path, row.Chosen));
    EXPECT_STREQ(row.Result, path);
    SplitPath(path, path, nullptr);
    EXPECT_STREQ(row.Field, path);
  }
}

TEST(ComposeChosenPathTest, TextWithoutRoomForThePatternIsRefused) {
  struct Case {
    std::string Chosen;
    int Fits;
  };
  const Case cases[] = {
      {std::string(255, 'a'), 1},                                            // 255 + "\*.*" = 259
      {std::string(256, 'a'), 0},        {std::string(255, 'a') + "\\", 1},  // 256 + "*.*" = 259
      {std::string(256, 'a') + "\\", 0}, {std::string(259, 'a'), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Chosen.size());
    char path[kPathBufferSize] = "C:\\before\\*.*";
    EXPECT_EQ(c.Fits, ComposeChosenPath(path, c.Chosen.c_str()));
    if (c.Fits) {
      EXPECT_EQ(259u, std::strlen(path));
    } else {
      EXPECT_STREQ("C:\\before\\*.*", path);
    }
  }
}

}  // namespace
