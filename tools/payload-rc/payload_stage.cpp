#include "tools/payload-rc/payload_stage.h"

#include <spawn.h>
#include <stdio.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "app/manifest.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string ItemFile(const std::string& itemDir, int id) {
  return itemDir + "/" + std::to_string(id) + ".item";
}

std::string Describe(const PayloadManifestRow& row) {
  return "payload item " + std::to_string(row.ResourceId) + " \"" + row.RelativePath + "\"";
}

bool CopyFile(const std::string& from, const std::string& to, std::string* error) {
  std::error_code failure;
  fs::create_directories(fs::path(to).parent_path(), failure);
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, failure);
  if (failure) {
    *error = "cannot copy " + from + " to " + to + ": " + failure.message();
    return false;
  }
  return true;
}

// Runs a program with the given arguments (no shell, so spaces in paths are safe); true when it
// ends with exit code 0.
bool RunTool(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunPacker(const std::string& packer, const std::string& in, const std::string& out,
               std::string* error) {
  if (!RunTool({packer, in, out})) {
    *error = "the packer " + packer + " failed on " + in;
    return false;
  }
  std::error_code failure;
  if (fs::file_size(out, failure) == 0 || failure) {
    *error = "the packer " + packer + " left no item for " + in;
    return false;
  }
  return true;
}

std::string ChecksumFile(const std::string& itemDir) { return itemDir + "/checksums.bin"; }

}  // namespace

std::string FormatPayloadRc(const std::string& itemDir) {
  std::string text =
      "// The installer's payload items, made from the install manifest by payload-rc.\n"
      "// Each LZHUF item is packed, each stored item copied as it is.\n";
  for (const PayloadManifestRow& row : kInstallManifest) {
    text += std::to_string(row.ResourceId) + " RAW \"" + ItemFile(itemDir, row.ResourceId) +
            "\"  // " + row.RelativePath + (row.Compressed ? ", LZHUF" : ", stored") + "\n";
  }
  text +=
      "1 PAYLOADCRC \"" + ChecksumFile(itemDir) + "\"  // CRC-32 of each item's installed bytes\n";
  return text;
}

bool FindItemSource(const std::vector<std::string>& roots, const std::string& relativePath,
                    std::string* path, std::string* error) {
  std::vector<std::string> found;
  for (const std::string& root : roots) {
    const std::string candidate = root + "/" + relativePath;
    std::error_code failure;
    if (fs::is_regular_file(candidate, failure)) found.push_back(candidate);
  }
  if (found.size() == 1) {
    *path = found[0];
    return true;
  }
  if (found.empty()) {
    *error = "no file \"" + relativePath + "\" in any of:";
    for (const std::string& root : roots) *error += " " + root;
  } else {
    *error = "\"" + relativePath + "\" is in more than one place: " + found[0] + " and " + found[1];
  }
  return false;
}

bool StagePayload(const PayloadStageOptions& options, std::string* error) {
  if (options.ItemDir.find_first_of("\"\\") != std::string::npos) {
    *error = "the item folder may not contain a double quote or a backslash: " + options.ItemDir;
    return false;
  }
  std::error_code failure;
  fs::create_directories(options.ItemDir, failure);
  std::vector<std::string> checksum_command = {options.ChecksumTool, ChecksumFile(options.ItemDir)};
  for (const PayloadManifestRow& row : kInstallManifest) {
    std::string source;
    if (!FindItemSource(options.SourceRoots, row.RelativePath, &source, error)) {
      *error = Describe(row) + ": " + *error;
      return false;
    }
    if (fs::file_size(source, failure) == 0 || failure) {
      *error = Describe(row) + ": the file " + source +
               " is empty; an empty file cannot be a payload item";
      return false;
    }
    const std::string item = ItemFile(options.ItemDir, row.ResourceId);
    const bool staged = row.Compressed ? RunPacker(options.Packer, source, item, error)
                                       : CopyFile(source, item, error);
    if (!staged) {
      *error = Describe(row) + ": " + *error;
      return false;
    }
    checksum_command.push_back(std::to_string(row.ResourceId));
    checksum_command.push_back(source);
    if (!options.TreeDir.empty() &&
        !CopyFile(source, options.TreeDir + "/" + row.RelativePath, error))
      return false;
  }
  if (!RunTool(checksum_command)) {
    *error = "the checksum tool " + options.ChecksumTool + " failed";
    return false;
  }
  // The script goes last and in one step, so a failed run never leaves one behind.
  const std::string partial = options.RcPath + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << FormatPayloadRc(options.ItemDir);
    if (!out) {
      *error = "cannot write " + partial;
      return false;
    }
  }
  fs::rename(partial, options.RcPath, failure);
  if (failure) {
    *error = "cannot write " + options.RcPath + ": " + failure.message();
    return false;
  }
  return true;
}
