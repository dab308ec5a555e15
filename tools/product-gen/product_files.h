// The payload files that the build makes rather than keeps in the source tree: the pictures, the
// page font and the two zip archives.
#pragma once

#include <string>
#include <vector>

#include "tools/product-gen/byte_writer.h"

// A file that this tool draws or assembles from scratch, by its path below the product folder.
struct DrawnFile {
  const char* RelativePath;
  Bytes (*Make)();
};

const std::vector<DrawnFile>& DrawnFiles();

// The folder below contentDir whose files make up the zip archive at relativePath
// ("LANG/English.zip" -> contentDir + "/LANG/English").
std::string ZipContentFolder(const std::string& contentDir, const std::string& relativePath);

// Writes every drawn file and every ".zip" item of the install manifest below outDir, creating
// sub-folders as needed. Fails (returning false with *error set) when a drawn file is not an item
// of the manifest, or when an archive's content folder is missing or holds no file.
bool WriteProductFiles(const std::string& contentDir, const std::string& outDir,
                       std::string* error);
