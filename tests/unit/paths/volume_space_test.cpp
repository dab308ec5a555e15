#include "paths/volume_space.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_format.h"

namespace {

TEST(VolumeSpace, VolumeRootOfADestination) {
  struct Row {
    const char* Destination;
    const char* Root;  // empty: no volume to ask
  };
  // Backslashes in these rows are single 0x5C bytes (raw literals).
  const Row rows[] = {
      {"C:/Program Files/Marrowby/Pagix/", R"(C:\)"},
      {"s:/", R"(s:\)"},
      {"//server/share/Pagix/", R"(\\server\share\)"},
      {"//server/share/", R"(\\server\share\)"},
      {"//server/", ""},
      {"//server/share", ""},
      {"///share/x/", ""},
      {"//server//x/", ""},
      {"C:", ""},
      {"/Pagix/", ""},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Destination);
    char out[kPathBufferSize] = "stale";
    EXPECT_EQ(row.Root[0] != '\0', FormatVolumeRoot(out, sizeof out, row.Destination));
    EXPECT_EQ(std::string(row.Root), out);
  }
  // A root that does not fit is not cut into another one.
  char small[4] = "abc";
  EXPECT_EQ(0, FormatVolumeRoot(small, sizeof small, "//ab/c/"));
  EXPECT_EQ(std::string(), small);
}

TEST(VolumeSpace, ShortageIsReportedOnlyBelowTheNeed) {
  struct Row {
    uint64_t Free;
    uint64_t Needed;
    const char* Text;  // empty: enough room
  };
  const Row rows[] = {
      {1000, 1000, ""},
      {4096, 1000, ""},
      {999, 1000, R"(C:\ has 0 KiB free, 1 KiB needed)"},
      // Free rounds down and the need up, so the figures never look like enough.
      {2047, 2048, R"(C:\ has 1 KiB free, 2 KiB needed)"},
      {65536, 65537, R"(C:\ has 64 KiB free, 65 KiB needed)"},
      {0, 1843200, R"(C:\ has 0 KiB free, 1800 KiB needed)"},
      // Beyond 32 bits the figures stay whole.
      {5000000000ull, 6000000000ull, R"(C:\ has 4882812 KiB free, 5859375 KiB needed)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.Free) + " of " + std::to_string(row.Needed));
    char out[kMessageTextSize] = "stale";
    EXPECT_EQ(row.Text[0] != '\0',
              DescribeSpaceShortage(out, sizeof out, R"(C:\)", row.Free, row.Needed));
    EXPECT_EQ(std::string(row.Text), out);
  }
}

}  // namespace
