// Bounded formatting at its edges. The same source is compiled into the native tests and into a
// Windows test program: there FormatText sits on msvcrt's formatter, which leaves a cut text
// unterminated and reports no length for it.
#include "base/text_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/code_page_scope.h"

namespace {

struct BoundCase {
  size_t Size;         // bytes given to the function
  const char* Text;    // the whole text
  int Fits;            // the expected result
  const char* Result;  // what the buffer holds afterwards (nothing is written for size 0)
};

const BoundCase kBoundCases[] = {
    {6, "hello", 1, "hello"},  // exact fit: five characters and the terminator
    {5, "hello", 0, "hell"},   // one over: cut, the last byte is the terminator
    {2, "hello", 0, "h"},      // far over
    {1, "hello", 0, ""},       // room for the terminator only
    {1, "", 1, ""},            // the empty text fits there
    {0, "hello", 0, nullptr},  // no room at all: nothing is written
    {0, "", 0, nullptr},       // not even for the empty text
};

// Both functions write into a buffer whose bytes beyond the given size must stay untouched.
TEST(TextFormatTest, FormatAndCopyAtTheirBounds) {
  const char kGuard = '#';
  for (const BoundCase& c : kBoundCases) {
    for (int copy = 0; copy < 2; ++copy) {
      SCOPED_TRACE(std::string(copy ? "CopyText" : "FormatText") + " of \"" + c.Text + "\" into " +
                   std::to_string(c.Size) + " bytes");
      char buffer[16];
      std::memset(buffer, kGuard, sizeof buffer);
      const int fits =
          copy ? CopyText(buffer, c.Size, c.Text) : FormatText(buffer, c.Size, "%s", c.Text);
      EXPECT_EQ(fits, c.Fits);
      if (c.Result) {
        EXPECT_STREQ(buffer, c.Result);
      }
      for (size_t i = c.Size; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], kGuard) << "byte " << i;
    }
  }
}

// A cut never parts a double-byte character, over either formatter: msvcrt's fills the buffer,
// glibc's terminates it.
TEST(TextFormatTest, ACutKeepsWholeCharacters) {
  pagix_test::CodePageScope scope(932);
  const char* text = "pppp\x83\x5C";  // four letters and a katakana whose second byte is "\\"
  for (int copy = 0; copy < 2; ++copy) {
    char buffer[6];
    EXPECT_EQ(copy ? CopyText(buffer, sizeof buffer, text) : FormatText(buffer, 6, "%s", text), 0);
    EXPECT_STREQ(buffer, "pppp") << (copy ? "CopyText" : "FormatText");
  }
}

TEST(TextFormatTest, NumbersAndSeveralArgumentsAtTheBound) {
  char buffer[16];
  EXPECT_EQ(FormatText(buffer, 9, "%s %d", "pagix", 42), 1);
  EXPECT_STREQ(buffer, "pagix 42");
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FormatText(buffer, 8, "%s %d", "pagix", 42), 0);
  EXPECT_STREQ(buffer, "pagix 4");
  EXPECT_EQ(buffer[8], '#');
}

}  // namespace
