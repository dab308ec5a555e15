// Zip archives with stored (uncompressed) entries, as the product's language pack and
// dictionary are carried.
#pragma once

#include <string>
#include <vector>

#include "tools/product-gen/byte_writer.h"

struct ZipEntry {
  std::string Name;  // path inside the archive, "/" between folders
  Bytes Data;
};

// One archive holding the entries in the given order, each stored with its CRC-32, all stamped
// with the same fixed date so that the build is reproducible.
Bytes WriteStoredZip(const std::vector<ZipEntry>& entries);
