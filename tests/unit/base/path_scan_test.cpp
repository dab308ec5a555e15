// Cases of the path scanner that the operations built on it do not reach: the bounds of the
// drive letter, and a length that ends inside a character.
#include "base/path_scan.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/code_page_scope.h"

namespace {

using pagix_test::CodePageScope;

TEST(PathScanTest, DriveLetterOfAVolumePrefix) {
  // The ends of both letter ranges, and the bytes next to them.
  for (const char* drive : {"A:/x/", "Z:/", "a:/", "z:/x/"}) {
    EXPECT_EQ(3u, VolumePrefixLength(drive)) << drive;
  }
  for (const char* other : {"@:/", "[:/", "`:/", "{:/", "1:/x/"}) {
    EXPECT_EQ(0u, VolumePrefixLength(other)) << other;
  }
  // A volume's root itself, in either form, with or without its separator.
  for (const char* root : {"C:", "c:\\", "C:/", "\\\\server\\share", "//server/share/"}) {
    EXPECT_TRUE(IsVolumeRoot(root, std::strlen(root))) << root;
  }
  for (const char* other : {"C:\\x", "\\\\server\\share\\x", "\\\\server\\", "//server", "x", ""}) {
    EXPECT_FALSE(IsVolumeRoot(other, std::strlen(other))) << other;
  }
}

TEST(PathScanTest, LengthEndingInsideACharacterIsNotPassed) {
  CodePageScope scope(932);
  // The length ends after the lead byte of the last character.
  EXPECT_EQ(2u, LengthWithoutTrailingSeparators("a" CP932_SO, 2));
}

}  // namespace
