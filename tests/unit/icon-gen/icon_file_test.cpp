#include "tools/icon-gen/icon_file.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t Read16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b.at(at) | (b.at(at + 1) << 8));
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  return Read16(b, at) | (Read16(b, at + 2) << 16);
}

struct SizeCase {
  int size;
  size_t colourRow;  // bytes per colour row, padded to 32 bits
  size_t maskRow;    // bytes per mask row, padded to 32 bits
};

// The three images in file order; the mask rows of 16 and 48 pixels need padding.
const SizeCase kSizes[] = {{48, 48, 8}, {32, 32, 4}, {16, 16, 4}};

class IconFile : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const SizeCase& c : kSizes) images_.push_back(DrawBookIcon(c.size));
    file_ = EncodeIconFile(images_);
  }
  std::vector<IconImage> images_;
  std::vector<uint8_t> file_;
};

TEST_F(IconFile, DirectoryDescribesThreeContiguous256ColourImages) {
  ASSERT_GE(file_.size(), 6u + 3 * 16);
  EXPECT_EQ(Read16(file_, 0), 0u);
  EXPECT_EQ(Read16(file_, 2), 1u);
  EXPECT_EQ(Read16(file_, 4), 3u);
  size_t expectedOffset = 6 + 3 * 16;
  for (size_t i = 0; i < 3; ++i) {
    const SizeCase& c = kSizes[i];
    const size_t entry = 6 + 16 * i;
    SCOPED_TRACE(c.size);
    EXPECT_EQ(file_[entry], c.size);
    EXPECT_EQ(file_[entry + 1], c.size);
    EXPECT_EQ(file_[entry + 2], 0) << "colour count 0 means 256";
    EXPECT_EQ(Read16(file_, entry + 4), 1u);
    EXPECT_EQ(Read16(file_, entry + 6), 8u);
    const size_t bytes = 40 + 1024 + static_cast<size_t>(c.size) * (c.colourRow + c.maskRow);
    EXPECT_EQ(Read32(file_, entry + 8), bytes);
    EXPECT_EQ(Read32(file_, entry + 12), expectedOffset);
    expectedOffset += bytes;
  }
  EXPECT_EQ(expectedOffset, file_.size());
}

TEST_F(IconFile, EachImageIsAn8BitBitmapWithItsMaskBottomUp) {
  for (size_t i = 0; i < 3; ++i) {
    const SizeCase& c = kSizes[i];
    const IconImage& image = images_[i];
    SCOPED_TRACE(c.size);
    const size_t at = Read32(file_, 6 + 16 * i + 12);
    EXPECT_EQ(Read32(file_, at), 40u);
    EXPECT_EQ(Read32(file_, at + 4), static_cast<uint32_t>(c.size));
    EXPECT_EQ(Read32(file_, at + 8), static_cast<uint32_t>(2 * c.size)) << "bitmap and mask";
    EXPECT_EQ(Read16(file_, at + 12), 1u);
    EXPECT_EQ(Read16(file_, at + 14), 8u);
    EXPECT_EQ(Read32(file_, at + 16), 0u) << "uncompressed";
    EXPECT_EQ(Read32(file_, at + 32), 0u) << "all 256 palette entries";
    EXPECT_EQ(Read32(file_, at + 40), 0u) << "palette entry 0 is black";

    const size_t colours = at + 40 + 1024;
    const size_t mask = colours + static_cast<size_t>(c.size) * c.colourRow;
    const size_t n = static_cast<size_t>(c.size);
    for (size_t row = 0; row < n; ++row) {
      const size_t stored = n - 1 - row;  // bottom row first
      for (size_t column = 0; column < n; ++column) {
        const size_t pixel = row * n + column;
        const uint8_t index = file_[colours + stored * c.colourRow + column];
        const bool maskBit =
            (file_[mask + stored * c.maskRow + column / 8] >> (7 - column % 8)) & 1;
        ASSERT_EQ(index, image.Pixels[pixel]) << "row " << row << " column " << column;
        ASSERT_EQ(maskBit, image.Opaque[pixel] == 0) << "row " << row << " column " << column;
        // Transparent pixels are black, so that the screen shows through unchanged.
        if (maskBit) {
          ASSERT_EQ(index, 0) << "row " << row << " column " << column;
        }
      }
      // Padding bytes of both rows are zero.
      for (size_t pad = n; pad < c.colourRow; ++pad) {
        ASSERT_EQ(file_[colours + stored * c.colourRow + pad], 0);
      }
      for (size_t pad = (n + 7) / 8; pad < c.maskRow; ++pad) {
        ASSERT_EQ(file_[mask + stored * c.maskRow + pad], 0);
      }
    }
  }
}

TEST_F(IconFile, BookLeavesTheCornersClear) {
  for (const IconImage& image : images_) {
    SCOPED_TRACE(image.Size);
    const size_t n = static_cast<size_t>(image.Size);
    ASSERT_EQ(image.Opaque.size(), n * n);
    EXPECT_EQ(image.Opaque[0], 0);
    EXPECT_EQ(image.Opaque[n - 1], 0);
    EXPECT_EQ(image.Opaque[n * (n - 1)], 0);
    EXPECT_EQ(image.Opaque[n * n - 1], 0);
    size_t covered = 0;
    for (uint8_t opaque : image.Opaque) covered += opaque;
    // The book fills most of the square without reaching every edge.
    EXPECT_GT(covered, n * n / 3);
    EXPECT_LT(covered, n * n);
  }
}

}  // namespace
