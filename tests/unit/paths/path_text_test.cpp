#include "paths/path_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/code_page_scope.h"

namespace {

using pagix_test::CodePageScope;
using pagix_test::CodePagesOf;

// A heap buffer of exactly the given size, so that ASan reports any byte written past it.
struct ExactBuffer {
  explicit ExactBuffer(size_t size, const std::string& text = "") : bytes(new char[size]) {
    std::memset(bytes.get(), 0x5A, size);
    std::memcpy(bytes.get(), text.c_str(), text.size() + 1);
  }
  char* get() { return bytes.get(); }
  std::unique_ptr<char[]> bytes;
};

struct NormalizeRow {
  const char* Input;
  const char* Directory;
  const char* File;
  int CodePage = 0;  // 0: single-byte text
};

// Backslashes in these rows are single 0x5C bytes (raw literals).
const NormalizeRow kNormalizeRows[] = {
    {R"(C:\Program Files\X)", "C:/Program Files/X/", "C:/Program Files/X"},
    {R"(C:\Program Files\Marrowby\Pagix)", "C:/Program Files/Marrowby/Pagix/",
     "C:/Program Files/Marrowby/Pagix"},
    {R"(C:\Program Files\X\)", "C:/Program Files/X/", "C:/Program Files/X"},
    {R"(C:\a\\b\)", "C:/a/b/", "C:/a/b"},
    {R"(a\/\b)", "a/b/", "a/b"},
    {R"(C:/a/b/../c)", "C:/a/c/", "C:/a/c"},
    {R"(C:\a\b\c\..\..\d)", "C:/a/d/", "C:/a/d"},
    {R"(C:\Program Files\Marrowby\Pagix\..\..\Other)", "C:/Program Files/Other/",
     "C:/Program Files/Other"},
    {R"(\\server\share)", "//server/share/", "//server/share"},
    {R"(\\\server\\share\\)", "//server/share/", "//server/share"},
    {R"(\\server\..\x)", "//x/", "//x"},
    {R"(///x)", "//x/", "//x"},
    {"", "", ""},
    {R"(C:\)", "C:/", "C:"},
    {R"(C:)", "C:/", "C:"},
    {R"(C)", "C/", "C"},
    {R"(\)", "/", ""},
    {R"(//)", "//", ""},
    {R"(a/../../b)", "../b/", "../b"},
    {R"(C:\a\..\..\b)", "b/", "b"},
    {R"(C:\..\x)", "x/", "x"},
    {R"(/a/../b)", "b/", "b"},
    {R"(x/a/../b)", "x/b/", "x/b"},
    {R"(..\..\a\..\b)", "../../a/../b/", "../../a/../b"},
    {R"(..\x)", "../x/", "../x"},
    {R"(C:\a\b\..)", "C:/a/", "C:/a/b/.."},
    {R"(c:\x\..\..)", "", "c:/.."},
    {R"(a/..)", "", "a/.."},
    {R"(a\.\b)", "a/./b/", "a/./b"},
    {R"(a/./../b)", "a/b/", "a/b"},
    {R"(a\...\b)", "a/b/", "a/b"},
    {R"(C:\foo..\bar)", "C:/bar/", "C:/bar"},
    // Letter case, spaces, ":" anywhere and other bytes pass through unchanged.
    {"MiXeD case:x:y\xE9", "MiXeD case:x:y\xE9/", "MiXeD case:x:y\xE9"},
    // Double-byte characters ending in 0x5C at the start, in the middle and at the end of a name.
    {"C:\\" CP932_SO CP932_FUTO "\\Pagix", "C:/" CP932_SO CP932_FUTO "/Pagix/",
     "C:/" CP932_SO CP932_FUTO "/Pagix", 932},
    {"C:\\Data\\" CP932_ICHIRAN CP932_HYO, "C:/Data/" CP932_ICHIRAN CP932_HYO "/",
     "C:/Data/" CP932_ICHIRAN CP932_HYO, 932},
    {CP932_HYO "\\\\a", CP932_HYO "/a/", CP932_HYO "/a", 932},
    {"C:\\a" CP932_HYO "b\\..\\" CP932_SO, "C:/" CP932_SO "/", "C:/" CP932_SO, 932},
    {"C:/\x83/x", "C:/\x83/x/", "C:/\x83/x", 932},  // a lone lead byte leaves "/" alone
    {"C:\\" CP950_GONG CP950_NENG "\\Pagix\\", "C:/" CP950_GONG CP950_NENG "/Pagix/",
     "C:/" CP950_GONG CP950_NENG "/Pagix", 950},
    {"C:\\" CP950_JIAO CP950_YU "\\..\\" CP950_GONG, "C:/" CP950_GONG "/", "C:/" CP950_GONG, 950},
    {"C:\\" CP936_JOU "\\" CP936_JUE CP936_JOU, "C:/" CP936_JOU "/" CP936_JUE CP936_JOU "/",
     "C:/" CP936_JOU "/" CP936_JUE CP936_JOU, 936},
};

TEST(NormalizePathTest, EveryRowInBothFormsInPlaceAndSeparately) {
  for (const NormalizeRow& row : kNormalizeRows) {
    for (int codePage : CodePagesOf(row.CodePage)) {
      CodePageScope scope(codePage);
      for (int fileForm = 0; fileForm <= 1; ++fileForm) {
        SCOPED_TRACE(std::string("input \"") + row.Input + "\" file form " +
                     std::to_string(fileForm) + " code page " + std::to_string(codePage));
        const char* expected = fileForm ? row.File : row.Directory;

        char separate[kPathBufferSize];
        std::memset(separate, 0x5A, sizeof separate);
        EXPECT_EQ(1, NormalizePath(separate, row.Input, fileForm));
        EXPECT_STREQ(expected, separate);

        char inPlace[kPathBufferSize];
        std::strcpy(inPlace, row.Input);
        EXPECT_EQ(1, NormalizePath(inPlace, inPlace, fileForm));
        EXPECT_STREQ(expected, inPlace);
      }
    }
  }
}

TEST(NormalizePathTest, OutputNeedsOnlyInputLengthPlusTwoBytes) {
  for (const NormalizeRow& row : kNormalizeRows) {
    CodePageScope scope(row.CodePage);
    for (int fileForm = 0; fileForm <= 1; ++fileForm) {
      SCOPED_TRACE(row.Input);
      size_t size = std::strlen(row.Input) + 2;
      ExactBuffer out(size);
      NormalizePath(out.get(), row.Input, fileForm);
      ExactBuffer inPlace(size, row.Input);
      NormalizePath(inPlace.get(), inPlace.get(), fileForm);
      EXPECT_STREQ(out.get(), inPlace.get());
    }
  }
}

TEST(NormalizePathTest, EmptyInputTouchesNothingBeyondItsTerminator) {
  for (int fileForm = 0; fileForm <= 1; ++fileForm) {
    ExactBuffer in(1, "");
    ExactBuffer out(2);
    NormalizePath(out.get(), in.get(), fileForm);
    EXPECT_EQ('\0', out.get()[0]);
    EXPECT_EQ(0x5A, out.get()[1]);
    NormalizePath(in.get(), in.get(), fileForm);
    EXPECT_EQ('\0', in.get()[0]);
  }
}

TEST(CollapseParentRefsTest, TextualRules) {
  struct Row {
    const char* Input;
    const char* Expected;
  };
  const Row rows[] = {
      {"C:/foo../bar/", "C:/bar/"},        // "../" at the end of a longer segment name
      {"C:/../x/", "x/"},                  // the drive is a segment like any other
      {"../../a/../b/", "../../a/../b/"},  // stops for good after "../../"
      {"../x/", "../x/"},                  // never at position 0
      {"a/./../b/", "a/b/"},               // "./" is an ordinary segment
      {"x../y", "y"},                      // at position 1 the segment starts at 0
      {"/a/../b/", "b/"},                  // a "/" at position 0 goes with the segment
      {"a/b/c/../../../d/", "d/"},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Input);
    ExactBuffer path(std::strlen(row.Input) + 1, row.Input);
    CollapseParentRefs(path.get());
    EXPECT_STREQ(row.Expected, path.get());
  }
}

// A 259-character field text whose directory form needs 260 characters.
std::string LongestFieldText() { return "C:\\" + std::string(256, 'p'); }

TEST(NormalizePathTest, ResultLongerThanAPathIsCutAndFlagged) {
  std::string input = LongestFieldText();
  ASSERT_EQ(259u, input.size());
  ExactBuffer inPlace(kPathBufferSize, input);
  EXPECT_EQ(0, NormalizePath(inPlace.get(), inPlace.get(), 0));
  EXPECT_EQ(std::string("C:/") + std::string(256, 'p'), inPlace.get());

  // One character less fits with its "/".
  input.pop_back();
  ExactBuffer shorter(kPathBufferSize, input);
  EXPECT_EQ(1, NormalizePath(shorter.get(), shorter.get(), 0));
  EXPECT_EQ(259u, std::strlen(shorter.get()));
  EXPECT_EQ('/', shorter.get()[258]);

  // File form never grows, so the 259-character text fits there.
  ExactBuffer fileForm(kPathBufferSize, LongestFieldText());
  EXPECT_EQ(1, NormalizePath(fileForm.get(), fileForm.get(), 1));
  EXPECT_EQ(259u, std::strlen(fileForm.get()));
}

TEST(NormalizePathTest, ACutNeverSplitsACharacter) {
  // 260 bytes whose last character, two bytes long, would straddle the 259-byte limit.
  const std::string input = "C:\\" + std::string(255, 'p') + CP932_HYO;
  CodePageScope scope(932);
  char out[kPathBufferSize];
  EXPECT_EQ(0, NormalizePath(out, input.c_str(), 1));
  EXPECT_EQ("C:/" + std::string(255, 'p'), out);
  // Cut copies and split parts keep whole characters too.
  EXPECT_EQ(0, CopyText(out, 259, input.c_str()));
  EXPECT_EQ(input.substr(0, 258), out);
  const std::string longName = "a/" + std::string(258, 'n') + CP932_HYO;
  EXPECT_EQ(0, SplitPath(longName.c_str(), nullptr, out));
  EXPECT_EQ(std::string(258, 'n'), out);
}

TEST(NormalizePathTest, LongInputThatCollapsesIsNormalisedExactly) {
  std::string refs;
  while (refs.size() < 255) refs += "x/../";
  // 259 characters whose intermediate directory form is 260 long.
  std::string input = refs + "abcd";
  ASSERT_EQ(259u, input.size());
  ExactBuffer inPlace(kPathBufferSize, input);
  EXPECT_EQ(1, NormalizePath(inPlace.get(), inPlace.get(), 0));
  EXPECT_STREQ("abcd/", inPlace.get());

  // Up to 518 characters of input are held whole.
  std::string longer;
  while (longer.size() < 515) longer += "x\\..\\";
  longer += "abc";
  ASSERT_EQ(518u, longer.size());
  char out[kPathBufferSize];
  EXPECT_EQ(1, NormalizePath(out, longer.c_str(), 0));
  EXPECT_STREQ("abc/", out);
}

TEST(NormalizePathTest, OverlongInputNeverOverflowsAndIsFlagged) {
  const std::string inputs[] = {
      std::string(5000, 'a'),
      std::string(600, '\\'),  // a run of separators collapses to "//"
      [] {
        std::string refs;
        while (refs.size() < 600) refs += "x/../";
        return refs + "abc";
      }(),
      "C:\\" + std::string(517, 'q'),
  };
  for (const std::string& input : inputs) {
    for (int fileForm = 0; fileForm <= 1; ++fileForm) {
      ExactBuffer out(kPathBufferSize);
      int whole = NormalizePath(out.get(), input.c_str(), fileForm);
      size_t length = std::strlen(out.get());
      EXPECT_LE(length, 259u);
      if (!whole) {
        EXPECT_EQ(259u, length);
      }
    }
  }
  // A run of separators is not long once collapsed.
  char out[kPathBufferSize];
  EXPECT_EQ(1, NormalizePath(out, std::string(600, '\\').c_str(), 0));
  EXPECT_STREQ("//", out);
  EXPECT_EQ(0, NormalizePath(out, std::string(5000, 'a').c_str(), 1));
  EXPECT_EQ(std::string(259, 'a'), out);
}

struct SplitRow {
  const char* Input;
  const char* Directory;
  const char* Name;
  int CodePage = 0;  // 0: single-byte text
};

const SplitRow kSplitRows[] = {
    {"C:/Program Files/X", "C:/Program Files/", "X"},
    {"C:/Program Files/X/", "C:/Program Files/", "X"},
    {"C:/a/b//", "C:/a/", "b"},
    {"C:/Program Files/Marrowby/Pagix/DICTIONARY", "C:/Program Files/Marrowby/Pagix/",
     "DICTIONARY"},
    {R"(C:\Program Files\X\*.*)", R"(C:\Program Files\X\)", "*.*"},
    {R"(c:\*.*)", R"(c:\)", "*.*"},
    {"//server/share/", "//server/", "share"},
    {R"(a/b\c)", R"(a/b\)", "c"},
    {R"(a\b/c)", R"(a\b/)", "c"},
    {R"(C:/a\/)", "C:/", "a"},
    {"C:/", "", "C:"},
    {"C:", "", "C:"},
    {"x/", "", "x"},
    {"abc", "", "abc"},
    {"", "", ""},
    {"/", "", ""},
    {"///", "", ""},
    {"C:/Data/" CP932_ICHIRAN CP932_HYO, "C:/Data/", CP932_ICHIRAN CP932_HYO, 932},
    {"C:\\" CP932_SO CP932_FUTO "\\" CP932_HYO "\\", "C:\\" CP932_SO CP932_FUTO "\\", CP932_HYO,
     932},
    {CP932_HYO, "", CP932_HYO, 932},
    {"a" CP932_SO "b", "", "a" CP932_SO "b", 932},
    {"C:\\" CP950_YU "\\" CP950_GONG "\\\\", "C:\\" CP950_YU "\\", CP950_GONG, 950},
    {"C:/" CP936_JOU "/" CP936_JUE CP936_JOU, "C:/" CP936_JOU "/", CP936_JUE CP936_JOU, 936},
};

TEST(SplitPathTest, EveryRowIntoSeparateBuffersAndInPlace) {
  for (const SplitRow& row : kSplitRows) {
    for (int codePage : CodePagesOf(row.CodePage)) {
      CodePageScope scope(codePage);
      SCOPED_TRACE(std::string(row.Input) + " code page " + std::to_string(codePage));
      char directory[kPathBufferSize];
      char name[kPathBufferSize];
      EXPECT_EQ(1, SplitPath(row.Input, directory, name));
      EXPECT_STREQ(row.Directory, directory);
      EXPECT_STREQ(row.Name, name);

      // As the installer uses it: the input buffer receives the directory part, no name.
      char inPlace[kPathBufferSize];
      std::strcpy(inPlace, row.Input);
      EXPECT_EQ(1, SplitPath(inPlace, inPlace, nullptr));
      EXPECT_STREQ(row.Directory, inPlace);

      // The name into the input buffer, the directory part elsewhere.
      std::strcpy(inPlace, row.Input);
      EXPECT_EQ(1, SplitPath(inPlace, directory, inPlace));
      EXPECT_STREQ(row.Directory, directory);
      EXPECT_STREQ(row.Name, inPlace);

      // Exactly sized outputs: the input's length plus one byte each.
      size_t size = std::strlen(row.Input) + 1;
      ExactBuffer exactDirectory(size);
      ExactBuffer exactName(size);
      SplitPath(row.Input, exactDirectory.get(), exactName.get());
      EXPECT_STREQ(row.Directory, exactDirectory.get());
      EXPECT_STREQ(row.Name, exactName.get());
    }
  }
}

TEST(SplitPathTest, ClimbsOneFolderPerCallDownToTheEmptyText) {
  char path[kPathBufferSize] = "C:/Program Files/Marrowby/Pagix/";
  const char* chain[] = {"C:/Program Files/Marrowby/", "C:/Program Files/", "C:/", "", ""};
  for (const char* expected : chain) {
    SplitPath(path, path, nullptr);
    EXPECT_STREQ(expected, path);
  }
  // The folder creation's climb over names that end in 0x5C.
  CodePageScope scope(932);
  std::strcpy(path, "C:/" CP932_SO CP932_FUTO "/" CP932_ICHIRAN CP932_HYO "/");
  const char* japanese[] = {"C:/" CP932_SO CP932_FUTO "/", "C:/", ""};
  for (const char* expected : japanese) {
    SplitPath(path, path, nullptr);
    EXPECT_STREQ(expected, path);
  }
}

TEST(SplitPathTest, OverlongPartsAreCutWithinAPathBuffer) {
  // A 300-character directory part and a 300-character name.
  std::string longDirectory = std::string(299, 'd') + "/";
  std::string longName(300, 'n');
  struct Case {
    std::string Input;
    std::string Directory;
    std::string Name;
  };
  const Case cases[] = {
      {longDirectory + "x", std::string(259, 'd'), "x"},
      {"a/" + longName, "a/", std::string(259, 'n')},
      // Only the first 519 characters are considered.
      {std::string(519, 'z') + "/tail", "", std::string(259, 'z')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Input.size());
    ExactBuffer directory(kPathBufferSize);
    ExactBuffer name(kPathBufferSize);
    EXPECT_EQ(0, SplitPath(c.Input.c_str(), directory.get(), name.get()));
    EXPECT_EQ(c.Directory, directory.get());
    EXPECT_EQ(c.Name, name.get());
  }
  // An input of exactly 519 characters is still whole.
  std::string input = std::string(300, 'e') + "/" + std::string(218, 'f');
  ASSERT_EQ(519u, input.size());
  ExactBuffer name(kPathBufferSize);
  EXPECT_EQ(1, SplitPath(input.c_str(), nullptr, name.get()));
  EXPECT_EQ(std::string(218, 'f'), name.get());
}

}  // namespace
