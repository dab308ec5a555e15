#include "shell/progman_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kFiles[] = {"Pagix.exe", "uninstall.exe"};
const char* const kTitles[] = {"Pagix", "uninstall Pagix"};
const char kDestination[] = "C:/Program Files/Marrowby/Pagix/";

// Formats into a buffer of exactly the computed size, with guard bytes behind it.
std::string Block(const char* group, int count, size_t* sizeOut = nullptr) {
  size_t size = ProgmanCommandBlockSize(group, kDestination, kFiles, kTitles, count);
  if (sizeOut) *sizeOut = size;
  std::vector<char> buffer(size + 8, '#');
  EXPECT_EQ(
      1, FormatProgmanCommands(buffer.data(), size, group, kDestination, kFiles, kTitles, count));
  EXPECT_EQ('\0', buffer[size - 1]);
  EXPECT_EQ(std::string(8, '#'), std::string(buffer.data() + size, 8));
  return std::string(buffer.data());
}

TEST(ProgmanCommands, DefaultInstallGivesThreeCommandsIn166Bytes) {
  size_t size = 0;
  std::string text = Block("Marrowby", 2, &size);
  EXPECT_EQ(166u, size);
  EXPECT_EQ(size - 1, text.size());
  EXPECT_EQ(
      "[CreateGroup(\"Marrowby\")]"
      "[AddItem(\"C:/Program Files/Marrowby/Pagix//Pagix.exe\",\"Pagix\")]"
      "[AddItem(\"C:/Program Files/Marrowby/Pagix//uninstall.exe\",\"uninstall Pagix\")]",
      text);
}

TEST(ProgmanCommands, NoItemsForZeroOrNegativeCount) {
  for (int count : {0, -1, -1000}) {
    SCOPED_TRACE(count);
    size_t size = 0;
    EXPECT_EQ("[CreateGroup(\"Marrowby\")]", Block("Marrowby", count, &size));
    EXPECT_EQ(8u + 18u, size);
  }
  size_t size = 0;
  EXPECT_EQ("[CreateGroup(\"\")]", Block("", 0, &size));
  EXPECT_EQ(18u, size);
}

TEST(ProgmanCommands, OneItemStopsAfterItsCommand) {
  EXPECT_EQ(
      "[CreateGroup(\"G\")]"
      "[AddItem(\"C:/Program Files/Marrowby/Pagix//Pagix.exe\",\"Pagix\")]",
      Block("G", 1));
}

TEST(ProgmanCommands, TooSmallBufferIsCutAndTerminatedNeverOverrun) {
  size_t size = ProgmanCommandBlockSize("Marrowby", kDestination, kFiles, kTitles, 2);
  // Every size short of the full block: the text is cut, terminated and stays inside.
  for (size_t shorter : {size_t{1}, size_t{10}, size_t{26}, size_t{27}, size - 1}) {
    SCOPED_TRACE(shorter);
    std::vector<char> buffer(shorter + 4, '#');
    EXPECT_EQ(0, FormatProgmanCommands(buffer.data(), shorter, "Marrowby", kDestination, kFiles,
                                       kTitles, 2));
    EXPECT_EQ('\0', buffer[shorter - 1]);
    EXPECT_EQ("####", std::string(buffer.data() + shorter, 4));
  }
  EXPECT_EQ(0, FormatProgmanCommands(nullptr, 0, "Marrowby", kDestination, kFiles, kTitles, 2));
}

TEST(ProgmanCommands, UninstallerCommandsOneEach) {
  struct Case {
    int (*Format)(char*, size_t, const char*);
    const char* Name;
    const char* Expected;
  };
  for (const Case& c : {Case{FormatProgmanDeleteGroup, "Marrowby", "[DeleteGroup(\"Marrowby\")]"},
                        Case{FormatProgmanShowGroup, "Marrowby", "[ShowGroup(\"Marrowby\",0)]"},
                        Case{FormatProgmanDeleteItem, "Pagix", "[DeleteItem(\"Pagix\")]"}}) {
    const size_t whole = std::strlen(c.Expected) + 1;
    char out[64];
    EXPECT_EQ(1, c.Format(out, whole, c.Name));
    EXPECT_STREQ(c.Expected, out);
    // One byte short: cut, terminated, and said so.
    EXPECT_EQ(0, c.Format(out, whole - 1, c.Name));
    EXPECT_EQ(std::string(c.Expected, whole - 2), out);
  }
}

}  // namespace
