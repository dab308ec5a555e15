// Little helpers for building binary files in memory.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutU8(Bytes* out, unsigned value) { out->push_back(static_cast<uint8_t>(value)); }

inline void PutLe16(Bytes* out, unsigned value) {
  PutU8(out, value & 0xFF);
  PutU8(out, (value >> 8) & 0xFF);
}

inline void PutLe32(Bytes* out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

inline void PutBe16(Bytes* out, unsigned value) {
  PutU8(out, (value >> 8) & 0xFF);
  PutU8(out, value & 0xFF);
}

inline void PutText(Bytes* out, const std::string& text) {
  for (char c : text) out->push_back(static_cast<uint8_t>(c));
}
