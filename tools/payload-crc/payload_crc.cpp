// payload-crc OUT ID FILE [ID FILE ...]
// Writes the checksum record of a payload: for each item, its resource id and the CRC-32 of the
// bytes it installs, both as little-endian 32-bit numbers. The installer compares each installed
// file against this record so that a damaged executable cannot install damaged files.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "payload/crc32.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "payload-crc: %s\n", message.c_str());
  return 1;
}

bool ReadFile(const char* path, std::vector<uint8_t>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  uint8_t piece[65536];
  size_t n;
  while ((n = std::fread(piece, 1, sizeof piece, file)) > 0)
    bytes->insert(bytes->end(), piece, piece + n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

void PutLittleEndian(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || (argc - 2) % 2 != 0) return Fail("usage: payload-crc OUT ID FILE [ID FILE ...]");
  std::vector<uint8_t> record;
  for (int i = 2; i < argc; i += 2) {
    char* end = nullptr;
    long id = std::strtol(argv[i], &end, 10);
    if (*argv[i] == '\0' || *end != '\0' || id < 1 || id > 65535) {
      return Fail(std::string("not a resource id: ") + argv[i]);
    }
    std::vector<uint8_t> bytes;
    if (!ReadFile(argv[i + 1], &bytes)) {
      return Fail(std::string("cannot read ") + argv[i + 1] + ": " + std::strerror(errno));
    }
    PutLittleEndian(&record, static_cast<uint32_t>(id));
    PutLittleEndian(&record, Crc32Update(0, bytes.data(), bytes.size()));
  }
  std::string temporary = std::string(argv[1]) + ".tmp";
  FILE* out = std::fopen(temporary.c_str(), "wb");
  if (!out) return Fail(std::string("cannot write ") + argv[1] + ": " + std::strerror(errno));
  bool ok = std::fwrite(record.data(), 1, record.size(), out) == record.size();
  ok = (std::fclose(out) == 0) && ok;
  if (!ok || std::rename(temporary.c_str(), argv[1]) != 0) {
    std::remove(temporary.c_str());
    return Fail(std::string("cannot write ") + argv[1]);
  }
  return 0;
}
