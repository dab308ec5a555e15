// ExtractPayloadItem against real files, with the test program's own RAW resources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/installer_state.h"
#include "payload/extract_payload_item.h"
#include "tests/support/wine_test_support.h"

using pagix_test::MessageBoxAnswerer;
using pagix_test::ReadWholeFile;
using pagix_test::ScratchFolder;
using pagix_test::WriteWholeFile;

namespace {

enum {
  kStoredBinary = 201,
  kPackedBinary = 202,
  kPackedText = 203,
  kPackedAbc = 204,
  kEmptyItem = 205,
  kDamagedPacked = 206,
  kDamagedStored = 207,
  kUnrecordedItem = 208,
  kMissingItem = 299
};

std::string g_item_dir;  // where the build left the items' original bytes (a Z: path)

std::vector<unsigned char> Original(const char* name) {
  return ReadWholeFile(g_item_dir + "\\" + name);
}

std::vector<unsigned char> Bytes(const std::string& text) {
  return std::vector<unsigned char>(text.begin(), text.end());
}

class ExtractPayloadItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Installer = InstallerState();
    g_Installer.Instance = GetModuleHandleA(nullptr);
    CreateDirectoryA(folder_.Join("SKINS").c_str(), nullptr);
  }
  void Extract(int id, const char* relative, int compressed, int ask = 0) {
    ExtractPayloadItem(nullptr, id, folder_.AsDestination().c_str(), relative, compressed, ask);
  }
  ScratchFolder folder_{"extract"};
};

struct ItemCase {
  int Id;
  int Compressed;
  const char* Original;  // file name of the original bytes, or null for Expected
  const char* Expected;
};

TEST_F(ExtractPayloadItemTest, WritesEachItemByteExact) {
  const ItemCase cases[] = {
      {kStoredBinary, 0, "binary.bin", nullptr},
      {kPackedBinary, 1, "binary.bin", nullptr},
      {kPackedText, 1, "text.txt", nullptr},
      {kPackedAbc, 1, nullptr, "abcabcabcabc"},
  };
  for (const ItemCase& c : cases) {
    SCOPED_TRACE(c.Id);
    MessageBoxAnswerer boxes;
    Extract(c.Id, "SKINS/item.bin", c.Compressed);
    std::vector<unsigned char> expected = c.Original ? Original(c.Original) : Bytes(c.Expected);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadWholeFile(folder_.Join("SKINS/item.bin")), expected);
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(g_Installer.AbortRequested, 0);
  }
}

TEST_F(ExtractPayloadItemTest, UnusableItemLeavesEmptyFileAndOneErrorBox) {
  const int ids[] = {kMissingItem, kEmptyItem};
  for (int id : ids) {
    SCOPED_TRACE(id);
    g_Installer.AbortRequested = 0;
    ASSERT_TRUE(WriteWholeFile(folder_.Join("LANG.zip"), Bytes("old content")));
    MessageBoxAnswerer boxes;
    Extract(id, "LANG.zip", 0);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Caption, "Pagix 0.9d Install");
    EXPECT_EQ(boxes.Seen()[0].Text, "Cannot Create File : LANG.zip");
    EXPECT_EQ(boxes.Seen()[0].Icon, "error");
    EXPECT_EQ(boxes.Seen()[0].Buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(pagix_test::FileExists(folder_.Join("LANG.zip")));
    EXPECT_TRUE(ReadWholeFile(folder_.Join("LANG.zip")).empty());
    EXPECT_EQ(g_Installer.AbortRequested, 1);
  }
}

TEST_F(ExtractPayloadItemTest, ItemThatDoesNotMatchTheBuildsChecksumIsReportedAndRemoved) {
  const ItemCase cases[] = {
      {kDamagedPacked, 1, nullptr, nullptr},
      {kDamagedStored, 0, nullptr, nullptr},
      {kUnrecordedItem, 1, nullptr, nullptr},
  };
  for (const ItemCase& c : cases) {
    SCOPED_TRACE(c.Id);
    g_Installer.AbortRequested = 0;
    MessageBoxAnswerer boxes;
    Extract(c.Id, "PF1.pf2", c.Compressed);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Text, "Cannot Create File : PF1.pf2");
    EXPECT_FALSE(pagix_test::FileExists(folder_.Join("PF1.pf2")));
    EXPECT_EQ(g_Installer.AbortRequested, 1);
  }
}

TEST_F(ExtractPayloadItemTest, FileThatCannotBeOpenedIsReportedWithRelativeName) {
  MessageBoxAnswerer boxes;
  Extract(kPackedAbc, "NOFOLDER/x.txt", 1);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text, "Cannot Create File : NOFOLDER/x.txt");
  EXPECT_EQ(g_Installer.AbortRequested, 1);
}

TEST_F(ExtractPayloadItemTest, PathLongerThanTheBufferIsRefusedNotCut) {
  std::string relative(300 - folder_.AsDestination().size(), 'n');
  MessageBoxAnswerer boxes;
  Extract(kPackedAbc, relative.c_str(), 1);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text, "Cannot Create File : " + relative);
  EXPECT_EQ(g_Installer.AbortRequested, 1);
}

struct OverwriteCase {
  const char* Name;
  std::string Existing;
  int Ask;
  std::vector<int> Answers;
  bool ExpectQuestion;
  bool ExpectReplaced;
};

TEST_F(ExtractPayloadItemTest, ExistingFileAndTheOverwriteQuestion) {
  const OverwriteCase cases[] = {
      {"no question without ask", "old", 0, {}, false, true},
      {"empty file is not asked about", "", 1, {}, false, true},
      {"OK replaces", "old", 1, {IDOK}, true, true},
      {"Cancel keeps the file", "old", 1, {IDCANCEL}, true, false},
  };
  for (const OverwriteCase& c : cases) {
    SCOPED_TRACE(c.Name);
    g_Installer.AbortRequested = 0;
    ASSERT_TRUE(WriteWholeFile(folder_.Join("SKINS/Back.jpg"), Bytes(c.Existing)));
    MessageBoxAnswerer boxes(c.Answers);
    Extract(kPackedAbc, "SKINS/Back.jpg", 1, c.Ask);
    if (c.ExpectQuestion) {
      ASSERT_EQ(boxes.Seen().size(), 1u);
      EXPECT_EQ(boxes.Seen()[0].Caption, "Pagix 0.9d Install");
      EXPECT_EQ(boxes.Seen()[0].Text, "SKINS/Back.jpg exists, Overwrite?");
      EXPECT_EQ(boxes.Seen()[0].Icon, "question");
      EXPECT_EQ(boxes.Seen()[0].Buttons, (std::vector<int>{IDOK, IDCANCEL}));
    } else {
      EXPECT_TRUE(boxes.Seen().empty());
    }
    EXPECT_EQ(ReadWholeFile(folder_.Join("SKINS/Back.jpg")),
              Bytes(c.ExpectReplaced ? "abcabcabcabc" : c.Existing));
    EXPECT_EQ(g_Installer.AbortRequested, c.ExpectReplaced ? 0 : 1);
  }
}

TEST_F(ExtractPayloadItemTest, NothingIsTouchedOnceAbortIsRequested) {
  ASSERT_TRUE(WriteWholeFile(folder_.Join("SKINS/kept.txt"), Bytes("first")));
  g_Installer.AbortRequested = 1;
  MessageBoxAnswerer boxes;
  Extract(kPackedAbc, "SKINS/kept.txt", 1, 1);
  Extract(kPackedAbc, "SKINS/new.txt", 1);
  Extract(kMissingItem, "SKINS/bad.txt", 1);
  EXPECT_EQ(ReadWholeFile(folder_.Join("SKINS/kept.txt")), Bytes("first"));
  EXPECT_FALSE(pagix_test::FileExists(folder_.Join("SKINS/new.txt")));
  EXPECT_FALSE(pagix_test::FileExists(folder_.Join("SKINS/bad.txt")));
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_EQ(g_Installer.AbortRequested, 1);
}

TEST(FileSizeOrZeroTest, SizesOfFilesAndMissingPaths) {
  ScratchFolder folder("size");
  ASSERT_TRUE(WriteWholeFile(folder.Join("five"), Bytes("12345")));
  ASSERT_TRUE(WriteWholeFile(folder.Join("empty"), {}));
  EXPECT_EQ(FileSizeOrZero(folder.Join("five").c_str()), 5);
  EXPECT_EQ(FileSizeOrZero(folder.Join("empty").c_str()), 0);
  EXPECT_EQ(FileSizeOrZero(folder.Join("missing").c_str()), 0);
}

// A full disk: drive S: is a 64 KiB tmpfs that the test fixture mounts for this test.
TEST(ExtractPayloadItemFullDiskTest, WriteThatDoesNotReachTheDiskIsReported) {
  if (GetDriveTypeA("S:\\") <= DRIVE_NO_ROOT_DIR) {
    GTEST_SKIP() << "drive S: (a small tmpfs) is not mapped: mounting needs root; the fixture "
                    "could not mount it";
  }
  g_Installer = InstallerState();
  g_Installer.Instance = GetModuleHandleA(nullptr);
  // Fill the disk so that the item cannot fit.
  FILE* filler = std::fopen("S:\\filler", "wb");
  ASSERT_NE(filler, nullptr);
  std::vector<char> block(4096, 'f');
  for (int i = 0; i < 64; ++i) {
    if (std::fwrite(block.data(), 1, block.size(), filler) != block.size()) break;
    if (std::fflush(filler) != 0) break;
  }
  std::fclose(filler);

  MessageBoxAnswerer boxes;
  ExtractPayloadItem(nullptr, kStoredBinary, "S:/", "PF1.pf2", 0, 0);
  ExtractPayloadItem(nullptr, kPackedBinary, "S:/", "later.bin", 1, 0);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text, "Cannot Create File : PF1.pf2");
  EXPECT_EQ(g_Installer.AbortRequested, 1);
  EXPECT_FALSE(pagix_test::FileExists("S:\\later.bin"));
  EXPECT_FALSE(pagix_test::FileExists("S:\\PF1.pf2"));
  DeleteFileA("S:\\filler");
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  g_item_dir = pagix_test::PathArgument(argc, argv, "--items=");
  return RUN_ALL_TESTS();
}
