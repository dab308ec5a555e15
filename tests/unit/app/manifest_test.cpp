#include "app/manifest.h"

#include <gtest/gtest.h>

namespace {

TEST(Manifest, SizesAreShownInWholeKibibytesRoundedUp) {
  struct Row {
    uint64_t Bytes;
    uint32_t Kibibytes;
  };
  const Row rows[] = {
      {0, 0},
      {1, 1},
      {1023, 1},
      {1024, 1},
      {1025, 2},
      {1048576, 1024},
      {0x3FFFFFFFC00ull, 0xFFFFFFFFu},
      // Beyond what a REG_DWORD holds: the largest figure, never a wrapped small one.
      {0x3FFFFFFFC01ull, 0xFFFFFFFFu},
      {~0ull, 0xFFFFFFFFu},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.Kibibytes, KibibytesRoundedUp(row.Bytes)) << row.Bytes;
  }
}

}  // namespace
