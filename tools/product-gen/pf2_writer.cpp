#include "tools/product-gen/pf2_writer.h"

#include "payload/crc32.h"

Bytes WritePf2Font(const Pf2Glyph* glyphs, int count) {
  Bytes out;
  PutText(&out, "PF2\x1A");
  PutLe16(&out, 1);
  PutU8(&out, 8);
  PutU8(&out, 8);
  PutLe16(&out, static_cast<unsigned>(count));
  for (int i = 0; i < count; ++i) {
    PutU8(&out, static_cast<uint8_t>(glyphs[i].Code));
    for (uint8_t row : glyphs[i].Rows) PutU8(&out, row);
  }
  PutLe32(&out, Crc32Update(0, out.data(), out.size()));
  return out;
}
