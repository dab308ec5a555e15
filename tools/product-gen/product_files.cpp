#include "tools/product-gen/product_files.h"

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/manifest.h"
#include "tools/product-gen/zip_writer.h"

namespace fs = std::filesystem;

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsManifestItem(const std::string& relativePath) {
  for (const PayloadManifestRow& row : kInstallManifest) {
    if (relativePath == row.RelativePath) return true;
  }
  return false;
}

bool WriteFile(const fs::path& path, const Bytes& bytes, std::string* error) {
  std::error_code ignored;
  fs::create_directories(path.parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

bool ReadFile(const fs::path& path, Bytes* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool BuildArchive(const std::string& contentDir, const std::string& relativePath,
                  const fs::path& target, std::string* error) {
  const fs::path folder = ZipContentFolder(contentDir, relativePath);
  std::error_code failure;
  if (!fs::is_directory(folder, failure)) {
    *error = "the content folder of " + relativePath + " is missing: " + folder.string();
    return false;
  }
  std::vector<fs::path> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, failure)) {
    if (entry.is_regular_file()) names.push_back(entry.path());
  }
  std::sort(names.begin(), names.end());
  if (names.empty()) {
    *error = "the content folder of " + relativePath + " holds no file: " + folder.string();
    return false;
  }
  std::vector<ZipEntry> entries;
  for (const fs::path& name : names) {
    ZipEntry entry;
    entry.Name = name.filename().string();
    if (!ReadFile(name, &entry.Data)) {
      *error = "cannot read " + name.string();
      return false;
    }
    entries.push_back(entry);
  }
  return WriteFile(target, WriteStoredZip(entries), error);
}

}  // namespace

std::string ZipContentFolder(const std::string& contentDir, const std::string& relativePath) {
  std::string stem = relativePath;
  if (EndsWith(stem, ".zip")) stem.resize(stem.size() - 4);
  return contentDir + "/" + stem;
}

bool WriteProductFiles(const std::string& contentDir, const std::string& outDir,
                       std::string* error) {
  for (const DrawnFile& file : DrawnFiles()) {
    if (!IsManifestItem(file.RelativePath)) {
      *error = std::string("the drawn file ") + file.RelativePath + " is not an install item";
      return false;
    }
    if (!WriteFile(fs::path(outDir) / file.RelativePath, file.Make(), error)) return false;
  }
  for (const PayloadManifestRow& row : kInstallManifest) {
    if (!EndsWith(row.RelativePath, ".zip")) continue;
    if (!BuildArchive(contentDir, row.RelativePath, fs::path(outDir) / row.RelativePath, error))
      return false;
  }
  return true;
}
