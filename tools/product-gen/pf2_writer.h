// The Pagix page font file (PF1/Pagix.pf2): a small bitmap font of our own.
//
// Layout, all numbers little-endian:
//   0  4 bytes  "PF2" followed by 0x1A
//   4  2 bytes  format version, 1
//   6  1 byte   glyph width in pixels (8)
//   7  1 byte   glyph height in pixels (8)
//   8  2 bytes  glyph count n
//  10  n * 9    per glyph: the character code, then 8 rows, top row first, leftmost pixel in the
//               highest bit
//  end 4 bytes  CRC-32 (zip polynomial) of every byte before it
#pragma once

#include "tools/product-gen/byte_writer.h"

struct Pf2Glyph {
  char Code;
  uint8_t Rows[8];
};

Bytes WritePf2Font(const Pf2Glyph* glyphs, int count);
