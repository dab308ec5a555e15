#include "tools/payload-rc/payload_stage.h"

#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "base/manifest.h"
#include "payload/crc32.h"

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

std::string RecordLine(const std::string& itemDir) {
  return "1 PAYLOADCRC \"" + ChecksumFile(itemDir) +
         "\"  // CRC-32 of each item's installed bytes\n";
}

bool CrcOfFile(const std::string& path, uint32_t* crc) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  *crc = 0;
  char piece[65536];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    *crc = Crc32Update(*crc, reinterpret_cast<const uint8_t*>(piece),
                       static_cast<size_t>(in.gcount()));
  }
  return !in.bad();
}

// Writes text to path through a partial file renamed at the end, so that a failed run never
// leaves a script behind.
bool WriteWhole(const std::string& path, const std::string& text, std::string* error) {
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      *error = "cannot write " + partial;
      return false;
    }
  }
  std::error_code failure;
  fs::rename(partial, path, failure);
  if (failure) {
    *error = "cannot write " + path + ": " + failure.message();
    return false;
  }
  return true;
}

// Makes the item folder, which windres reads as a quoted path.
bool PrepareItemDir(const std::string& itemDir, std::string* error) {
  if (itemDir.find_first_of("\"\\") != std::string::npos) {
    *error = "the item folder may not contain a double quote or a backslash: " + itemDir;
    return false;
  }
  std::error_code failure;
  fs::create_directories(itemDir, failure);
  return true;
}

}  // namespace

std::string FormatPayloadRc(const std::string& itemDir) {
  std::string text =
      "// The installer's payload items, made from the install manifest by payload-rc.\n"
      "// Each LZHUF item is packed, each stored item copied as it is.\n";
  for (const PayloadManifestRow& row : kInstallManifest) {
    text += std::to_string(row.ResourceId) + " RAW \"" + ItemFile(itemDir, row.ResourceId) +
            "\"  // " + row.RelativePath + (row.Compressed ? ", LZHUF" : ", stored") + "\n";
  }
  return text + RecordLine(itemDir);
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

bool WriteChecksumRecord(const std::string& path,
                         const std::vector<std::pair<int, std::string>>& files,
                         std::string* error) {
  std::string record;
  for (const auto& [id, file] : files) {
    uint32_t crc = 0;
    if (!CrcOfFile(file, &crc)) {
      *error = "cannot read " + file;
      return false;
    }
    for (uint32_t value : {static_cast<uint32_t>(id), crc}) {
      for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>(value >> (8 * i)));
    }
  }
  return WriteWhole(path, record, error);
}

namespace {

bool FindRowSource(const PayloadStageOptions& options, const PayloadManifestRow& row,
                   std::string* source, std::string* error) {
  if (FindItemSource(options.SourceRoots, row.RelativePath, source, error)) return true;
  *error = Describe(row) + ": " + *error;
  return false;
}

bool WriteItemDirRecord(const std::string& itemDir,
                        const std::vector<std::pair<int, std::string>>& files, std::string* error) {
  if (WriteChecksumRecord(ChecksumFile(itemDir), files, error)) return true;
  *error = "the checksum record: " + *error;
  return false;
}

}  // namespace

bool StagePayload(const PayloadStageOptions& options, std::string* error) {
  if (!PrepareItemDir(options.ItemDir, error)) return false;
  std::error_code failure;
  std::vector<std::pair<int, std::string>> checksummed;
  for (const PayloadManifestRow& row : kInstallManifest) {
    std::string source;
    if (!FindRowSource(options, row, &source, error)) return false;
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
    checksummed.emplace_back(row.ResourceId, source);
    if (!options.TreeDir.empty() &&
        !CopyFile(source, options.TreeDir + "/" + row.RelativePath, error))
      return false;
  }
  // The script goes last, so a failed run never leaves one behind.
  return WriteItemDirRecord(options.ItemDir, checksummed, error) &&
         WriteWhole(options.RcPath, FormatPayloadRc(options.ItemDir), error);
}

bool StageUninstallerRecord(const PayloadStageOptions& options, std::string* error) {
  if (!PrepareItemDir(options.ItemDir, error)) return false;
  std::vector<std::pair<int, std::string>> checksummed;
  for (const PayloadManifestRow& row : kInstallManifest) {
    if (!strcmp(row.RelativePath, kUninstallerFileName)) continue;
    std::string source;
    if (!FindRowSource(options, row, &source, error)) return false;
    checksummed.emplace_back(row.ResourceId, source);
  }
  return WriteItemDirRecord(options.ItemDir, checksummed, error) &&
         WriteWhole(options.RcPath,
                    "// The uninstaller's record of the files it installed with, by payload-rc.\n" +
                        RecordLine(options.ItemDir),
                    error);
}
