#include "tools/product-gen/zip_writer.h"

#include "payload/crc32.h"

namespace {

// 14 September 1998, 12:00:00, in MS-DOS date and time form.
const unsigned kDosDate = ((1998 - 1980) << 9) | (9 << 5) | 14;
const unsigned kDosTime = (12 << 11) | (0 << 5) | 0;
const unsigned kVersionStored = 10;  // 1.0: stored entries only

}  // namespace

Bytes WriteStoredZip(const std::vector<ZipEntry>& entries) {
  Bytes archive;
  Bytes directory;
  for (const ZipEntry& entry : entries) {
    const uint32_t offset = static_cast<uint32_t>(archive.size());
    const uint32_t crc = Crc32Update(0, entry.Data.data(), entry.Data.size());
    const uint32_t size = static_cast<uint32_t>(entry.Data.size());
    const unsigned name_length = static_cast<unsigned>(entry.Name.size());

    PutLe32(&archive, 0x04034B50);  // local file header
    PutLe16(&archive, kVersionStored);
    PutLe16(&archive, 0);  // flags
    PutLe16(&archive, 0);  // method: stored
    PutLe16(&archive, kDosTime);
    PutLe16(&archive, kDosDate);
    PutLe32(&archive, crc);
    PutLe32(&archive, size);  // compressed size
    PutLe32(&archive, size);  // uncompressed size
    PutLe16(&archive, name_length);
    PutLe16(&archive, 0);  // extra field length
    PutText(&archive, entry.Name);
    archive.insert(archive.end(), entry.Data.begin(), entry.Data.end());

    PutLe32(&directory, 0x02014B50);  // central directory header
    PutLe16(&directory, 20);          // made by: MS-DOS, version 2.0
    PutLe16(&directory, kVersionStored);
    PutLe16(&directory, 0);
    PutLe16(&directory, 0);
    PutLe16(&directory, kDosTime);
    PutLe16(&directory, kDosDate);
    PutLe32(&directory, crc);
    PutLe32(&directory, size);
    PutLe32(&directory, size);
    PutLe16(&directory, name_length);
    PutLe16(&directory, 0);     // extra field length
    PutLe16(&directory, 0);     // comment length
    PutLe16(&directory, 0);     // disk number
    PutLe16(&directory, 0);     // internal attributes
    PutLe32(&directory, 0x20);  // external attributes: archive
    PutLe32(&directory, offset);
    PutText(&directory, entry.Name);
  }
  const uint32_t directory_offset = static_cast<uint32_t>(archive.size());
  archive.insert(archive.end(), directory.begin(), directory.end());
  PutLe32(&archive, 0x06054B50);  // end of central directory
  PutLe16(&archive, 0);
  PutLe16(&archive, 0);
  PutLe16(&archive, static_cast<unsigned>(entries.size()));
  PutLe16(&archive, static_cast<unsigned>(entries.size()));
  PutLe32(&archive, static_cast<uint32_t>(directory.size()));
  PutLe32(&archive, directory_offset);
  PutLe16(&archive, 0);  // comment length
  return archive;
}
