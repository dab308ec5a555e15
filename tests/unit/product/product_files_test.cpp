// The files the build draws and assembles for the payload, read back with decoders written here
// from the formats' rules (independently of the writers).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/manifest.h"
#include "tools/product-gen/bmp_writer.h"
#include "tools/product-gen/gif_writer.h"
#include "tools/product-gen/jpeg_writer.h"
#include "tools/product-gen/pf2_writer.h"
#include "tools/product-gen/product_files.h"
#include "tools/product-gen/zip_writer.h"

namespace fs = std::filesystem;

namespace {

unsigned Le16(const Bytes& b, size_t at) { return b[at] | (static_cast<unsigned>(b[at + 1]) << 8); }
uint32_t Le32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(Le16(b, at)) | (static_cast<uint32_t>(Le16(b, at + 2)) << 16);
}
unsigned Be16(const Bytes& b, size_t at) { return (static_cast<unsigned>(b[at]) << 8) | b[at + 1]; }

// Bit by bit, unlike the writer's table.
uint32_t SlowCrc32(const Bytes& data, size_t begin, size_t end) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = begin; i < end; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A GIF LZW decoder following the format's rules.
std::vector<uint8_t> DecodeLzw(const Bytes& codes, int minimumCodeSize) {
  const unsigned clear = 1u << minimumCodeSize, end = clear + 1;
  std::vector<std::vector<uint8_t>> table;
  auto reset = [&]() {
    table.clear();
    for (unsigned i = 0; i < clear + 2; ++i) table.push_back({static_cast<uint8_t>(i)});
  };
  reset();
  int width = minimumCodeSize + 1;
  size_t bit = 0;
  std::vector<uint8_t> out;
  int previous = -1;
  for (;;) {
    if (bit + static_cast<size_t>(width) > codes.size() * 8) {
      ADD_FAILURE() << "code stream ends without the end code";
      return out;
    }
    unsigned code = 0;
    for (int i = 0; i < width; ++i, ++bit)
      code |= static_cast<unsigned>((codes[bit / 8] >> (bit % 8)) & 1) << i;
    if (code == clear) {
      reset();
      width = minimumCodeSize + 1;
      previous = -1;
      continue;
    }
    if (code == end) return out;
    std::vector<uint8_t> entry;
    if (code < table.size()) {
      entry = table[code];
    } else if (code == table.size() && previous >= 0) {
      entry = table[static_cast<size_t>(previous)];
      entry.push_back(entry[0]);
    } else {
      ADD_FAILURE() << "code " << code << " beyond the table of " << table.size();
      return out;
    }
    out.insert(out.end(), entry.begin(), entry.end());
    if (previous >= 0 && table.size() < 4096) {
      std::vector<uint8_t> added = table[static_cast<size_t>(previous)];
      added.push_back(entry[0]);
      table.push_back(added);
      if (table.size() == (1u << width) && width < 12) ++width;
    }
    previous = static_cast<int>(code);
  }
}

struct GifPicture {
  int Width = 0, Height = 0, Transparent = -1;
  std::vector<uint8_t> Indices;
};

GifPicture ReadGif(const Bytes& file) {
  GifPicture picture;
  EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
  picture.Width = static_cast<int>(Le16(file, 6));
  picture.Height = static_cast<int>(Le16(file, 8));
  size_t at = 13 + 3 * (1u << ((file[10] & 7u) + 1u));
  if (file[at] == 0x21 && file[at + 1] == 0xF9) {
    if (file[at + 3] & 1) picture.Transparent = file[at + 6];
    at += 8;
  }
  EXPECT_EQ(file[at], 0x2C);
  EXPECT_EQ(Le16(file, at + 5), static_cast<unsigned>(picture.Width));
  const int minimum = file[at + 10];
  at += 11;
  Bytes codes;
  while (file[at] != 0) {
    codes.insert(codes.end(), file.begin() + static_cast<long>(at + 1),
                 file.begin() + static_cast<long>(at + 1 + file[at]));
    at += 1u + file[at];
  }
  EXPECT_EQ(file[at + 1], 0x3B) << "trailer";
  EXPECT_EQ(at + 2, file.size());
  picture.Indices = DecodeLzw(codes, minimum);
  return picture;
}

TEST(GifLzw, RoundTripsThroughTableResetsAndEveryCodeWidth) {
  struct Case {
    int MinimumCodeSize;
    size_t Count;
    int Colours;
  };
  const Case cases[] = {{2, 1, 2},       {2, 2, 1},      {2, 5000, 4}, {3, 20000, 8},
                        {8, 70000, 256}, {4, 100000, 1}, {8, 300, 256}};
  for (const Case& c : cases) {
    std::vector<uint8_t> data(c.Count);
    uint32_t state = static_cast<uint32_t>(c.Count);
    for (uint8_t& value : data) {
      state = state * 1103515245u + 12345u;
      // Runs and noise mixed, so both long strings and a full table occur.
      value = static_cast<uint8_t>(((state >> 20) % 4 == 0 ? (state >> 8) : (state >> 28)) %
                                   static_cast<uint32_t>(c.Colours));
    }
    Bytes codes = EncodeGifLzw(data.data(), data.size(), c.MinimumCodeSize);
    EXPECT_EQ(DecodeLzw(codes, c.MinimumCodeSize), data)
        << "minimum " << c.MinimumCodeSize << ", " << c.Count << " values";
  }
}

TEST(GifFile, HoldsThePictureWithItsPaletteAndTransparency) {
  IndexedImage image(5, 3, 0);
  image.Palette = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  image.Transparent = 2;
  for (int i = 0; i < 15; ++i) image.Indices[static_cast<size_t>(i)] = static_cast<uint8_t>(i % 3);
  Bytes file = WriteGif(image);
  EXPECT_EQ(file[10] & 0x80, 0x80) << "global colour table";
  EXPECT_EQ(file[10] & 7, 1) << "three colours are stored as a table of four";
  EXPECT_EQ(file[13 + 3], 4);  // the second colour's red
  GifPicture picture = ReadGif(file);
  EXPECT_EQ(picture.Width, 5);
  EXPECT_EQ(picture.Height, 3);
  EXPECT_EQ(picture.Transparent, 2);
  EXPECT_EQ(picture.Indices, image.Indices);
}

TEST(JpegHuffman, LengthsStayWithinSixteenBitsAndLeaveTheAllOnesCode) {
  struct Case {
    const char* Name;
    std::map<int, long> Counts;
  };
  std::map<int, long> fibonacci, flat, single;
  long a = 1, b = 1;
  for (int symbol = 0; symbol < 40; ++symbol) {  // skewed enough for 39-bit codes unadjusted
    fibonacci[symbol] = a;
    const long next = a + b;
    a = b;
    b = next;
  }
  for (int symbol = 0; symbol < 256; ++symbol) flat[symbol] = 7;
  single[0xF0] = 12;
  const Case cases[] = {{"fibonacci", fibonacci}, {"flat", flat}, {"single", single}};
  for (const Case& c : cases) {
    long counts[256] = {};
    for (const auto& entry : c.Counts) counts[entry.first] = entry.second;
    uint8_t bits[17], values[256];
    const int count = BuildHuffmanTable(counts, bits, values);
    EXPECT_EQ(count, static_cast<int>(c.Counts.size())) << c.Name;
    int total = 0;
    double kraft = 0;
    for (int length = 1; length <= 16; ++length) {
      total += bits[length];
      kraft += bits[length] / static_cast<double>(1 << length);
    }
    EXPECT_EQ(total, count) << c.Name;
    // Strictly below 1: the all-ones code of the longest length stays unused.
    EXPECT_LT(kraft, 1.0) << c.Name;
    std::map<int, int> seen;
    for (int i = 0; i < count; ++i) ++seen[values[i]];
    for (const auto& entry : c.Counts) EXPECT_EQ(seen[entry.first], 1) << c.Name;
  }
}

TEST(JpegFile, IsABaselineFrameOfThePicturesSize) {
  RgbImage image(21, 10, Rgb{200, 40, 90});
  Bytes file = WriteBaselineJpeg(image, 85);
  ASSERT_GE(file.size(), 4u);
  EXPECT_EQ(Be16(file, 0), 0xFFD8u);
  EXPECT_EQ(Be16(file, file.size() - 2), 0xFFD9u);
  // Walk the marker segments up to the scan.
  size_t at = 2;
  std::vector<unsigned> markers;
  while (at + 4 <= file.size() && file[at] == 0xFF && file[at + 1] != 0xDA) {
    markers.push_back(file[at + 1]);
    if (file[at + 1] == 0xC0) {
      EXPECT_EQ(file[at + 4], 8) << "sample precision";
      EXPECT_EQ(Be16(file, at + 5), 10u) << "height";
      EXPECT_EQ(Be16(file, at + 7), 21u) << "width";
      EXPECT_EQ(file[at + 9], 3) << "components";
    }
    at += 2 + Be16(file, at + 2);
  }
  ASSERT_LT(at + 1, file.size());
  EXPECT_EQ(file[at + 1], 0xDA) << "start of scan";
  EXPECT_EQ(markers, (std::vector<unsigned>{0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4}));
  // In the entropy-coded data every 0xFF is followed by a stuffed zero.
  for (size_t i = at + 2 + Be16(file, at + 2); i + 2 < file.size(); ++i) {
    if (file[i] == 0xFF) {
      EXPECT_EQ(file[i + 1], 0x00) << "at " << i;
      ++i;
    }
  }
}

TEST(JpegZigZag, IsAPermutationStartingAlongTheFirstDiagonals) {
  int order[64];
  ZigZagOrder(order);
  std::vector<int> sorted(order, order + 64);
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < 64; ++i) EXPECT_EQ(sorted[static_cast<size_t>(i)], i);
  const int start[] = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(order[i], start[i]) << i;
  EXPECT_EQ(order[63], 63);
}

TEST(BmpFile, StoresRowsBottomUpPaddedToFourBytes) {
  RgbImage image(5, 2, Rgb{0, 0, 0});
  image.At(0, 0) = Rgb{10, 20, 30};  // top left
  image.At(4, 1) = Rgb{40, 50, 60};  // bottom right
  Bytes file = WriteBmp24(image);
  const size_t row = 16;  // 5 * 3 = 15 bytes, padded
  ASSERT_EQ(file.size(), 54 + 2 * row);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le32(file, 2), file.size());
  EXPECT_EQ(Le32(file, 10), 54u);
  EXPECT_EQ(Le32(file, 18), 5u);
  EXPECT_EQ(Le32(file, 22), 2u);
  EXPECT_EQ(Le16(file, 28), 24u);
  // The bottom row comes first, in blue-green-red order.
  EXPECT_EQ(file[54 + 12], 60);
  EXPECT_EQ(file[54 + 13], 50);
  EXPECT_EQ(file[54 + 14], 40);
  EXPECT_EQ(file[54 + row + 0], 30);
  EXPECT_EQ(file[54 + row + 2], 10);
}

struct ZipRead {
  std::string Name;
  Bytes Data;
};

// Reads an archive through its central directory, checking each local header and CRC.
std::vector<ZipRead> ReadZip(const Bytes& file) {
  std::vector<ZipRead> entries;
  const size_t eocd = file.size() - 22;
  EXPECT_EQ(Le32(file, eocd), 0x06054B50u);
  const unsigned count = Le16(file, eocd + 10);
  size_t at = Le32(file, eocd + 16);
  EXPECT_EQ(at + Le32(file, eocd + 12), eocd) << "directory size and offset";
  for (unsigned i = 0; i < count; ++i) {
    EXPECT_EQ(Le32(file, at), 0x02014B50u);
    const unsigned method = Le16(file, at + 10);
    const uint32_t crc = Le32(file, at + 16), size = Le32(file, at + 20);
    EXPECT_EQ(method, 0u) << "stored";
    EXPECT_EQ(Le32(file, at + 24), size);
    const unsigned name_length = Le16(file, at + 28);
    const size_t local = Le32(file, at + 42);
    ZipRead entry;
    entry.Name.assign(file.begin() + static_cast<long>(at + 46),
                      file.begin() + static_cast<long>(at + 46 + name_length));
    EXPECT_EQ(Le32(file, local), 0x04034B50u);
    EXPECT_EQ(Le32(file, local + 14), crc);
    EXPECT_EQ(Le16(file, local + 26), name_length);
    const size_t data = local + 30 + name_length + Le16(file, local + 28);
    EXPECT_EQ(SlowCrc32(file, data, data + size), crc) << entry.Name;
    entry.Data.assign(file.begin() + static_cast<long>(data),
                      file.begin() + static_cast<long>(data + size));
    entries.push_back(entry);
    at += 46 + name_length + Le16(file, at + 30) + Le16(file, at + 32);
  }
  return entries;
}

TEST(ZipFile, StoresEachEntryWithItsCrc) {
  std::vector<ZipEntry> entries = {
      {"a.txt", {'h', 'i'}}, {"empty.txt", {}}, {"bin.dat", Bytes(1000, 0xFF)}};
  std::vector<ZipRead> read = ReadZip(WriteStoredZip(entries));
  ASSERT_EQ(read.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read[i].Name, entries[i].Name);
    EXPECT_EQ(read[i].Data, entries[i].Data);
  }
}

TEST(Pf2File, HasItsHeaderGlyphsAndChecksum) {
  const Pf2Glyph glyphs[] = {{'A', {1, 2, 3, 4, 5, 6, 7, 8}},
                             {'B', {0xFF, 0, 0, 0, 0, 0, 0, 0x81}}};
  Bytes file = WritePf2Font(glyphs, 2);
  ASSERT_EQ(file.size(), 10u + 2 * 9 + 4);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), std::string("PF2\x1A"));
  EXPECT_EQ(Le16(file, 4), 1u);
  EXPECT_EQ(Le16(file, 8), 2u);
  EXPECT_EQ(file[10 + 9], 'B');
  EXPECT_EQ(file[10 + 9 + 8], 0x81);
  EXPECT_EQ(Le32(file, file.size() - 4), SlowCrc32(file, 0, file.size() - 4));
}

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ProductFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pagix-product-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    out_ = pattern;
  }
  void TearDown() override { fs::remove_all(out_); }
  fs::path out_;
};

TEST_F(ProductFilesTest, EveryItemIsDrawnKeptInTheTreeOrBuiltAsAProgram) {
  std::string error;
  ASSERT_TRUE(WriteProductFiles(PAGIX_SOURCE_ROOT "/product/content", out_.string(), &error))
      << error;
  const fs::path kept = PAGIX_SOURCE_ROOT "/product/files";
  size_t total = 0;
  for (const PayloadManifestRow& row : kInstallManifest) {
    const std::string name = row.RelativePath;
    const bool program = name == kProgramFileName || name == kUninstallerFileName;
    const bool drawn = fs::exists(out_ / name);
    const bool in_tree = fs::exists(kept / name);
    EXPECT_EQ(program + drawn + in_tree, 1) << name << ": exactly one source";
    if (drawn) {
      EXPECT_GT(fs::file_size(out_ / name), 0u) << name;
      total += fs::file_size(out_ / name);
    }
    if (in_tree) {
      EXPECT_GT(fs::file_size(kept / name), 0u) << name;
      total += fs::file_size(kept / name);
    }
  }
  EXPECT_LT(total, 200u * 1024) << "the data files stay small";
}

TEST_F(ProductFilesTest, ArchivesHoldTheirContentFolders) {
  std::string error;
  ASSERT_TRUE(WriteProductFiles(PAGIX_SOURCE_ROOT "/product/content", out_.string(), &error))
      << error;
  for (const PayloadManifestRow& row : kInstallManifest) {
    const std::string name = row.RelativePath;
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".zip") != 0) continue;
    EXPECT_FALSE(row.Compressed) << name << " is carried stored";
    std::vector<ZipRead> entries = ReadZip(ReadAll(out_ / name));
    const fs::path content = ZipContentFolder(PAGIX_SOURCE_ROOT "/product/content", name);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(content)) files += entry.is_regular_file();
    EXPECT_EQ(entries.size(), files) << name;
    for (const ZipRead& entry : entries) EXPECT_EQ(entry.Data, ReadAll(content / entry.Name));
  }
}

TEST_F(ProductFilesTest, TheIconsAreTransparentThirtyTwoPixelPictures) {
  std::string error;
  ASSERT_TRUE(WriteProductFiles(PAGIX_SOURCE_ROOT "/product/content", out_.string(), &error));
  for (const char* name : {"Pagix_dicon.gif", "Pagix_ficon.gif"}) {
    GifPicture picture = ReadGif(ReadAll(out_ / name));
    EXPECT_EQ(picture.Width, 32) << name;
    EXPECT_EQ(picture.Height, 32) << name;
    EXPECT_EQ(picture.Indices.size(), 32u * 32u) << name;
    EXPECT_EQ(picture.Transparent, picture.Indices[0]) << name << ": the corner is see-through";
  }
}

TEST_F(ProductFilesTest, AMissingArchiveFolderStopsWithItsName) {
  std::string error;
  EXPECT_FALSE(WriteProductFiles((out_ / "nothing").string(), (out_ / "o").string(), &error));
  EXPECT_NE(error.find("LANG/English.zip"), std::string::npos) << error;
}

}  // namespace
