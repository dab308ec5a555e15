// The lzhuf-pack command, run as the build made it (LZHUF_PACK_PATH).
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/unit/tools/lzhuf-pack/pack_test_support.h"

namespace {

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

struct RunResult {
  int Status;                       // exit status, or -1 when the program did not exit normally
  std::vector<std::string> Errors;  // the lines it wrote to stderr
  std::string Output;               // what it wrote to stdout
};

class PackCommand : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "lzhuf_pack_cli_XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    dir_ = pattern + "/";
    files_ = dir_ + "files/";
    ASSERT_EQ(mkdir(files_.c_str(), 0755), 0);
  }

  void TearDown() override {
    std::string command = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(system(command.c_str()), 0);
  }

  // Runs lzhuf-pack with the arguments (each quoted), capturing stdout and stderr.
  RunResult Run(const std::vector<std::string>& args) {
    std::string command = "'" LZHUF_PACK_PATH "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >'" + dir_ + "stdout' 2>'" + dir_ + "stderr'";
    int raw = system(command.c_str());
    RunResult result;
    result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(dir_ + "stderr");
    for (std::string line; std::getline(err, line);) result.Errors.push_back(line);
    Bytes out = ReadBytes(dir_ + "stdout");
    result.Output.assign(out.begin(), out.end());
    return result;
  }

  std::string dir_;
  std::string files_;  // the folder where the runs' inputs and outputs lie
};

Bytes SampleText() {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i * 7 % 13) + " of the sample\n";
  return Bytes(text.begin(), text.end());
}

TEST_F(PackCommand, PacksWithEitherParseAndUnpacksWithTheInstallersDecoder) {
  Bytes data = SampleText();
  WriteBytes(files_ + "in.txt", data);
  for (const char* option : {"", "--greedy"}) {
    SCOPED_TRACE(option);
    std::vector<std::string> args;
    if (*option) args.push_back(option);
    args.push_back(files_ + "in.txt");
    args.push_back(files_ + "in.lzh");
    RunResult packed = Run(args);
    EXPECT_EQ(packed.Status, 0);
    EXPECT_TRUE(packed.Errors.empty());
    EXPECT_TRUE(packed.Output.empty());
    Bytes item = ReadBytes(files_ + "in.lzh");
    EXPECT_EQ(DecodeItem(item), data);
    EXPECT_LT(item.size(), data.size() / 4);

    RunResult unpacked = Run({"-d", files_ + "in.lzh", files_ + "back.txt"});
    EXPECT_EQ(unpacked.Status, 0);
    EXPECT_TRUE(unpacked.Errors.empty());
    EXPECT_EQ(ReadBytes(files_ + "back.txt"), data);
  }
  // Replaces an existing output and leaves nothing else behind.
  EXPECT_EQ(Run({files_ + "in.txt", files_ + "back.txt"}).Status, 0);
  EXPECT_EQ(DecodeItem(ReadBytes(files_ + "back.txt")), data);
  EXPECT_EQ(FolderEntries(files_).size(), 3u);
}

TEST_F(PackCommand, FailsWithOneLineAndNoOutput) {
  Bytes data = SampleText();
  WriteBytes(files_ + "in.txt", data);
  WriteBytes(files_ + "empty", {});
  WriteBytes(files_ + "eee", {'e', 'e', 'e'});  // has no valid item
  ASSERT_EQ(mkdir((files_ + "folder").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((files_ + "taken").c_str(), 0755), 0);
  std::string in = files_ + "in.txt";
  std::string out = files_ + "out";
  const struct {
    const char* Name;
    std::vector<std::string> Args;
    std::string Output;  // must not exist afterwards
  } cases[] = {
      {"missing input", {files_ + "missing", out}, out},
      {"missing input to unpack", {"-d", files_ + "missing", out}, out},
      {"empty input", {files_ + "empty", out}, out},
      {"empty input to unpack", {"-d", files_ + "empty", out}, out},
      {"input is a folder", {files_ + "folder", out}, out},
      {"input without a valid item", {files_ + "eee", out}, out},
      {"output in a missing folder", {in, files_ + "none/out"}, files_ + "none/out"},
      {"output is a folder", {in, files_ + "taken"}, files_ + "taken/in.txt"},
      {"no arguments", {}, out},
      {"one argument", {in}, out},
      {"unknown option", {"-x", in, out}, out},
      {"option without files", {"--greedy", in}, out},
      {"too many arguments", {in, out, out}, out},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    RunResult result = Run(c.Args);
    EXPECT_NE(result.Status, 0);
    EXPECT_NE(result.Status, -1);
    ASSERT_EQ(result.Errors.size(), 1u);
    EXPECT_FALSE(result.Errors[0].empty());
    EXPECT_TRUE(result.Output.empty());
    EXPECT_FALSE(Exists(c.Output));
    // Nothing but the prepared files: no temporary file is left beside the output.
    EXPECT_EQ(FolderEntries(files_).size(), 5u);
    EXPECT_TRUE(FolderEntries(files_ + "taken").empty());
  }
}

// The packer's results on three public files, when the system has them: the default parse is
// never larger than the greedy one and stays at the sizes reached so far.
TEST_F(PackCommand, KeepsItsCompressionOnPublicFiles) {
  const struct {
    const char* Path;
    long MaxDefaultSize;
  } files[] = {
      {"/usr/share/common-licenses/GPL-3", 13000},
      {"/usr/share/perl/5.36.0/Unicode/Collate/allkeys.txt", 330000},
      {"/usr/lib/i386-linux-gnu/wine/i386-windows/comctl32.dll", 2181000},
  };
  int found = 0;
  for (const auto& f : files) {
    if (!Exists(f.Path)) continue;
    ++found;
    SCOPED_TRACE(f.Path);
    std::string greedy = files_ + "greedy.lzh";
    std::string best = files_ + "default.lzh";
    ASSERT_EQ(Run({"--greedy", f.Path, greedy}).Status, 0);
    ASSERT_EQ(Run({f.Path, best}).Status, 0);
    long greedySize = static_cast<long>(ReadBytes(greedy).size());
    long defaultSize = static_cast<long>(ReadBytes(best).size());
    EXPECT_LE(defaultSize, greedySize);
    EXPECT_LE(defaultSize, f.MaxDefaultSize);
    ASSERT_EQ(Run({"-d", best, files_ + "back"}).Status, 0);
    EXPECT_TRUE(ReadBytes(files_ + "back") == ReadBytes(f.Path));
  }
  if (found == 0) GTEST_SKIP() << "none of the files is installed";
}

}  // namespace
