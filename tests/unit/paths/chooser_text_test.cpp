#include "paths/chooser_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "paths/path_text.h"

namespace {

TEST(ComputeInitialFolderTest, DrivePartAndDirectoryPart) {
  struct Row {
    const char* Input;
    const char* Expected;
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
  };
  for (const Row& row : rows) {
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
}

TEST(ComposeChosenPathTest, PatternFollowsTheChosenFolder) {
  struct Row {
    const char* Chosen;
    const char* Result;
    const char* Field;  // what Browse puts into the field after cutting the pattern off
  };
  const Row rows[] = {
      {R"(c:\)", R"(c:\*.*)", R"(c:\)"},
      {R"(c:\program files\x)", R"(c:\program files\x\*.*)", R"(c:\program files\x\)"},
      {R"(c:\games)", R"(c:\games\*.*)", R"(c:\games\)"},
      {"", R"(\*.*)", R"(\)"},
  };
  for (const Row& row : rows) {
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
