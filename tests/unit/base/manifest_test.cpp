// The install manifest: its progress weights (the sequence advances 10 after the destination
// folder and 10 after each of its three later steps, so the items take the bar from 10 to exactly
// 70) and the installed size as the Add/Remove Programs entry shows it.
#include "base/manifest.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallManifestTest, ItemsTakeTheProgressFromTenToSeventy) {
  int total = 10;
  for (const PayloadManifestRow& row : kInstallManifest) {
    EXPECT_GT(row.Weight, 0) << row.RelativePath;
    total += row.Weight;
  }
  EXPECT_EQ(total, 70);
}

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
