// The payload the installer embeds is made from the install manifest: the resource script's rows
// and the staged items must match it exactly.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/manifest.h"
#include "payload/crc32.h"
#include "tools/payload-rc/payload_stage.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(PayloadRc, HasOneRawRowPerManifestItemInOrder) {
  const std::string rc = FormatPayloadRc("/build dir/payload");
  std::istringstream lines(rc);
  std::string line;
  std::vector<int> ids;
  int records = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("//", 0) == 0) continue;
    if (line.rfind("1 PAYLOADCRC \"/build dir/payload/checksums.bin\"", 0) == 0) {
      ++records;
      continue;
    }
    // <id> RAW "<file>"  // <relative path>, <LZHUF|stored>
    const size_t raw = line.find(" RAW \"");
    const size_t close = line.find('"', raw + 6);
    const size_t comment = line.find("  // ", close);
    const size_t comma = line.rfind(", ");
    ASSERT_TRUE(raw != std::string::npos && close != std::string::npos && comment == close + 1 &&
                comma != std::string::npos && comma > comment)
        << line;
    const size_t i = ids.size();
    ASSERT_LT(i, static_cast<size_t>(kPayloadItemCount));
    const PayloadManifestRow& expected = kInstallManifest[i];
    const std::string id = line.substr(0, raw);
    ids.push_back(std::stoi(id));
    EXPECT_EQ(line.substr(raw + 6, close - raw - 6), "/build dir/payload/" + id + ".item");
    EXPECT_EQ(line.substr(comment + 5, comma - comment - 5), expected.RelativePath);
    EXPECT_EQ(line.substr(comma + 2), expected.Compressed ? "LZHUF" : "stored");
  }
  const std::vector<int> expected_ids = {111, 112, 113, 115, 116, 117, 118, 119, 120,
                                         121, 122, 123, 124, 125, 126, 127, 128, 129};
  EXPECT_EQ(ids, expected_ids);
  EXPECT_EQ(records, 1) << "the checksum record of the installed bytes";
}

class PayloadStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pagix-stage-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    base_ = pattern;
    // Two roots, as in the build: the programs in one, the data files in the other.
    for (const PayloadManifestRow& row : kInstallManifest) {
      const std::string name = row.RelativePath;
      const fs::path root = name.size() > 4 && name.substr(name.size() - 4) == ".exe"
                                ? base_ / "programs"
                                : base_ / "data";
      WriteText(root / name, "content of " + name);
    }
    // A stand-in packer that marks what it packed.
    packer_ = base_ / "pack.sh";
    WriteText(packer_, "#!/bin/sh\n{ printf 'PACKED:'; cat \"$1\"; } > \"$2\"\n");
    chmod(packer_.c_str(), 0755);
    options_.SourceRoots = {(base_ / "programs").string(), (base_ / "data").string()};
    options_.Packer = packer_.string();
    options_.ItemDir = (base_ / "items").string();
    options_.TreeDir = (base_ / "tree").string();
    options_.RcPath = (base_ / "payload.rc").string();
  }
  void TearDown() override { fs::remove_all(base_); }

  // The record for the given rows: id and CRC-32 of "content of <name>", little-endian.
  static std::string RecordOf(bool withUninstaller) {
    std::string record;
    for (const PayloadManifestRow& row : kInstallManifest) {
      if (!withUninstaller && std::string(row.RelativePath) == kUninstallerFileName) continue;
      const std::string content = "content of " + std::string(row.RelativePath);
      const uint32_t crc =
          Crc32Update(0, reinterpret_cast<const uint8_t*>(content.data()), content.size());
      for (uint32_t value : {static_cast<uint32_t>(row.ResourceId), crc}) {
        for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>(value >> (8 * i)));
      }
    }
    return record;
  }

  fs::path base_, packer_;
  PayloadStageOptions options_;
};

TEST_F(PayloadStageTest, PacksLzhufItemsCopiesStoredOnesAndLaysOutTheTree) {
  std::string error;
  ASSERT_TRUE(StagePayload(options_, &error)) << error;
  for (const PayloadManifestRow& row : kInstallManifest) {
    const std::string original = "content of " + std::string(row.RelativePath);
    const std::string item = ReadText(base_ / "items" / (std::to_string(row.ResourceId) + ".item"));
    EXPECT_EQ(item, row.Compressed ? "PACKED:" + original : original) << row.RelativePath;
    EXPECT_EQ(ReadText(base_ / "tree" / row.RelativePath), original) << row.RelativePath;
  }
  EXPECT_EQ(ReadText(options_.RcPath), FormatPayloadRc(options_.ItemDir));
  // The checksum record holds every item, in manifest order, over the original files.
  EXPECT_EQ(ReadText(base_ / "items" / "checksums.bin"), RecordOf(true));
}

TEST_F(PayloadStageTest, UninstallerRecordHoldsEveryFileButTheUninstaller) {
  options_.RcPath = (base_ / "uninstall.rc").string();
  std::string error;
  ASSERT_TRUE(StageUninstallerRecord(options_, &error)) << error;
  EXPECT_EQ(ReadText(base_ / "items" / "checksums.bin"), RecordOf(false));
  EXPECT_NE(
      ReadText(options_.RcPath).find("1 PAYLOADCRC \"" + options_.ItemDir + "/checksums.bin\""),
      std::string::npos);
}

TEST_F(PayloadStageTest, StopsWithTheNameOfAnEmptyFile) {
  // Stored and packed items alike: an empty file cannot be an item.
  for (const char* name : {"DICTIONARY/Webster 1913 - Micro.zip", "SKINS/Space.psk"}) {
    WriteText(base_ / "data" / name, "");
    std::string error;
    EXPECT_FALSE(StagePayload(options_, &error)) << name;
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_NE(error.find("is empty"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(options_.RcPath)) << "no resource script after a failure";
    WriteText(base_ / "data" / name, "again");
  }
}

TEST_F(PayloadStageTest, StopsWhenAFileIsMissingOrInTwoPlaces) {
  fs::remove(base_ / "data" / "PF1" / "Pagix.pf2");
  std::string error;
  EXPECT_FALSE(StagePayload(options_, &error));
  EXPECT_NE(error.find("payload item 120 \"PF1/Pagix.pf2\": no file"), std::string::npos) << error;

  WriteText(base_ / "data" / "PF1" / "Pagix.pf2", "x");
  WriteText(base_ / "data" / "Pagix.exe", "a stale copy");
  EXPECT_FALSE(StagePayload(options_, &error));
  EXPECT_NE(error.find("more than one place"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(options_.RcPath));
}

TEST_F(PayloadStageTest, StopsWhenThePackerFailsOrLeavesNothing) {
  const char* packers[] = {"#!/bin/sh\nexit 3\n", "#!/bin/sh\n: > \"$2\"\n"};
  for (const char* script : packers) {
    WriteText(packer_, script);
    std::string error;
    EXPECT_FALSE(StagePayload(options_, &error)) << script;
    EXPECT_NE(error.find("payload item 111 \"Pagix.exe\""), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(options_.RcPath));
  }
}

TEST_F(PayloadStageTest, StopsWhenTheChecksumRecordCannotBeWritten) {
  fs::create_directories(base_ / "items" / "checksums.bin.partial");
  std::string error;
  EXPECT_FALSE(StagePayload(options_, &error));
  EXPECT_NE(error.find("checksum"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(options_.RcPath));
}

TEST_F(PayloadStageTest, RefusesAnItemFolderThatTheResourceCompilerWouldMisread) {
  options_.ItemDir = (base_ / "it\"ems").string();
  std::string error;
  EXPECT_FALSE(StagePayload(options_, &error));
  EXPECT_NE(error.find("double quote"), std::string::npos) << error;
}

}  // namespace
