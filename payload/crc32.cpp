#include "payload/crc32.h"

namespace {

// Half-byte table: small enough for the installer, fast enough for its payload.
const uint32_t kNibbleTable[16] = {0x00000000u, 0x1DB71064u, 0x3B6E20C8u, 0x26D930ACu,
                                   0x76DC4190u, 0x6B6B51F4u, 0x4DB26158u, 0x5005713Cu,
                                   0xEDB88320u, 0xF00F9344u, 0xD6D6A3E8u, 0xCB61B38Cu,
                                   0x9B64C2B0u, 0x86D3D2D4u, 0xA00AE278u, 0xBDBDF21Cu};

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    crc = (crc >> 4) ^ kNibbleTable[crc & 15];
    crc = (crc >> 4) ^ kNibbleTable[crc & 15];
  }
  return ~crc;
}

namespace {

uint32_t ReadLittleEndian(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

int FindRecordedChecksum(const uint8_t* record, size_t size, int itemId, uint32_t* crc) {
  if (!record) return 0;
  for (size_t at = 0; at + kChecksumEntrySize <= size; at += kChecksumEntrySize) {
    if (ReadLittleEndian(record + at) == static_cast<uint32_t>(itemId)) {
      *crc = ReadLittleEndian(record + at + sizeof(uint32_t));
      return 1;
    }
  }
  return 0;
}
