#include "paths/volume_space.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(VolumeSpace, RoomNeededCountsWholeUnitsAndWhatIsReplaced) {
  struct Row {
    const char* Case;
    std::vector<uint32_t> Files;
    std::vector<uint32_t> Replaced;  // empty: nothing there yet
    int NewFolders;
    uint32_t Unit;
    uint64_t Needed;
  };
  const Row rows[] = {
      {"every file takes whole units", {1, 4096, 4097, 0}, {}, 0, 4096, 4 * 4096},
      {"and so does every folder made", {1}, {}, 6, 4096, 7 * 4096},
      {"a complete installation again", {1, 5000}, {1, 5000}, 0, 4096, 0},
      {"a replaced file gives back its units", {9000}, {100}, 1, 512, 18 * 512},
      {"a shrinking file needs nothing", {100}, {9000}, 0, 512, 0},
      // Each file is emptied as it is opened and then written: room given back by a later
      // file is no room for an earlier one.
      {"growth before shrinkage", {8192, 4096}, {4096, 8192}, 0, 4096, 4096},
      {"folders come first", {4096}, {8192}, 2, 4096, 2 * 4096},
      {"a unit of 0 counts bytes", {10, 20}, {}, 1, 0, 31},
      // Sizes near 4 GiB in large units: no 32-bit overflow.
      {"large units", {0xFFFFFFFFu, 0xFFFFFFFFu}, {}, 0, 65536, 2 * 0x100000000ull},
      {"a replaced file beyond 4 GiB", {4096}, {0xFFFFFFFFu}, 0, 4096, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Case);
    std::vector<uint32_t> replaced = row.Replaced;
    replaced.resize(row.Files.size());
    EXPECT_EQ(row.Needed, RoomNeeded(row.Files.data(), replaced.data(),
                                     static_cast<int>(row.Files.size()), row.NewFolders, row.Unit));
  }
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
