// The chain the win32 build runs, with the real tools: the product files, staged with lzhuf-pack
// and payload-rc's checksum record, come back byte for byte through the installer's decoder, and
// the checksum record holds every item's CRC.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/manifest.h"
#include "payload/crc32.h"
#include "tests/unit/tools/lzhuf-pack/pack_test_support.h"
#include "tools/payload-rc/payload_stage.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(EmbeddedPayload, EveryItemRestoresItsFileAndIsInTheChecksumRecord) {
  char pattern[] = "/tmp/pagix-embed-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path base = pattern;
  std::string error;
  // The programs are built by the win32 build; stand-ins of program-like size take their place.
  fs::create_directories(base / "programs");
  for (const char* name : {kProgramFileName, kUninstallerFileName}) {
    std::ofstream out(base / "programs" / name, std::ios::binary);
    uint32_t state = 7;
    for (int i = 0; i < 30000; ++i) {
      state = state * 1664525u + 1013904223u;
      out.put(i % 7 == 0 ? static_cast<char>(state >> 24) : "MZ PE code "[i % 11]);
    }
  }
  PayloadStageOptions options;
  options.SourceRoots = {(base / "programs").string(), PAGIX_SOURCE_ROOT "/product/files"};
  options.Packer = LZHUF_PACK_PATH;
  options.ItemDir = (base / "items").string();
  options.TreeDir = (base / "tree").string();
  options.RcPath = (base / "payload.rc").string();
  ASSERT_TRUE(StagePayload(options, &error)) << error;

  const std::vector<uint8_t> record = ReadAll(base / "items" / "checksums.bin");
  ASSERT_EQ(record.size(), kChecksumEntrySize * kPayloadItemCount);
  size_t total = 0;
  for (int i = 0; i < kPayloadItemCount; ++i) {
    const PayloadManifestRow& row = kInstallManifest[i];
    const std::vector<uint8_t> original = ReadAll(base / "tree" / row.RelativePath);
    const std::vector<uint8_t> item =
        ReadAll(base / "items" / (std::to_string(row.ResourceId) + ".item"));
    ASSERT_FALSE(original.empty()) << row.RelativePath;
    EXPECT_EQ(row.Compressed ? DecodeItem(item) : item, original) << row.RelativePath;
    total += item.size();
    const size_t entry = kChecksumEntrySize * static_cast<size_t>(i);
    const uint32_t crc = Crc32Update(0, original.data(), original.size());
    EXPECT_EQ(Le32(record, entry), static_cast<uint32_t>(row.ResourceId));
    EXPECT_EQ(Le32(record, entry + 4), crc) << row.RelativePath;
    // The installer's look-up finds it there too.
    uint32_t found = 0;
    EXPECT_TRUE(FindRecordedChecksum(record.data(), record.size(), row.ResourceId, &found));
    EXPECT_EQ(found, crc) << row.RelativePath;
  }
  EXPECT_LT(total, 1024u * 1024u) << "the whole payload stays well under 1 MB";
  fs::remove_all(base);
}

}  // namespace
