#include "tools/product-gen/gif_writer.h"

#include <unordered_map>

namespace {

class BitPacker {
 public:
  explicit BitPacker(Bytes* out) : out_(out) {}
  void Put(unsigned code, int width) {
    buffer_ |= static_cast<uint32_t>(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      out_->push_back(static_cast<uint8_t>(buffer_ & 0xFF));
      buffer_ >>= 8;
      count_ -= 8;
    }
  }
  void Flush() {
    if (count_ > 0) out_->push_back(static_cast<uint8_t>(buffer_ & 0xFF));
    buffer_ = 0;
    count_ = 0;
  }

 private:
  Bytes* out_;
  uint32_t buffer_ = 0;
  int count_ = 0;
};

const unsigned kMaxCode = 4095;

}  // namespace

Bytes EncodeGifLzw(const uint8_t* indices, size_t count, int minimumCodeSize) {
  Bytes out;
  BitPacker packer(&out);
  const unsigned clear = 1u << minimumCodeSize;
  const unsigned end = clear + 1;
  unsigned next_code = clear + 2;
  int width = minimumCodeSize + 1;
  std::unordered_map<uint32_t, unsigned> table;  // (prefix code << 8 | byte) -> code

  // The decoder adds its table entry one code later than the encoder, so the width grows right
  // after the code that is written while the next free code already needs the wider width.
  auto emit = [&](unsigned code) {
    packer.Put(code, width);
    if (next_code >= (1u << width) && width < 12) ++width;
  };
  auto reset = [&]() {
    table.clear();
    next_code = clear + 2;
    width = minimumCodeSize + 1;
  };

  packer.Put(clear, width);
  if (count == 0) {
    packer.Put(end, width);
    packer.Flush();
    return out;
  }
  unsigned prefix = indices[0];
  for (size_t i = 1; i < count; ++i) {
    const uint8_t value = indices[i];
    const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | value;
    auto found = table.find(key);
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    emit(prefix);
    if (next_code <= kMaxCode) {
      table[key] = next_code++;
    } else {
      packer.Put(clear, width);
      reset();
    }
    prefix = value;
  }
  emit(prefix);
  packer.Put(end, width);
  packer.Flush();
  return out;
}

Bytes WriteGif(const IndexedImage& image) {
  int table_bits = 1;
  while ((1u << table_bits) < image.Palette.size()) ++table_bits;
  const int minimum_code_size = table_bits < 2 ? 2 : table_bits;

  Bytes out;
  PutText(&out, "GIF89a");
  PutLe16(&out, static_cast<unsigned>(image.Width));
  PutLe16(&out, static_cast<unsigned>(image.Height));
  // Global colour table present, 8 bits of colour resolution, table size 2^(n+1).
  PutU8(&out, 0x80u | 0x70u | static_cast<unsigned>(table_bits - 1));
  PutU8(&out, 0);  // background colour index
  PutU8(&out, 0);  // no aspect ratio
  for (unsigned i = 0; i < (1u << table_bits); ++i) {
    Rgb colour = i < image.Palette.size() ? image.Palette[i] : Rgb{0, 0, 0};
    PutU8(&out, colour.R);
    PutU8(&out, colour.G);
    PutU8(&out, colour.B);
  }
  if (image.Transparent >= 0) {
    PutU8(&out, 0x21);  // extension
    PutU8(&out, 0xF9);  // graphic control
    PutU8(&out, 4);
    PutU8(&out, 0x01);  // transparent colour flag
    PutLe16(&out, 0);   // no delay
    PutU8(&out, static_cast<unsigned>(image.Transparent));
    PutU8(&out, 0);
  }
  PutU8(&out, 0x2C);  // image descriptor
  PutLe16(&out, 0);
  PutLe16(&out, 0);
  PutLe16(&out, static_cast<unsigned>(image.Width));
  PutLe16(&out, static_cast<unsigned>(image.Height));
  PutU8(&out, 0);  // no local table, not interlaced
  PutU8(&out, static_cast<unsigned>(minimum_code_size));
  Bytes codes = EncodeGifLzw(image.Indices.data(), image.Indices.size(), minimum_code_size);
  for (size_t at = 0; at < codes.size(); at += 255) {
    size_t length = codes.size() - at < 255 ? codes.size() - at : 255;
    PutU8(&out, static_cast<unsigned>(length));
    out.insert(out.end(), codes.begin() + static_cast<long>(at),
               codes.begin() + static_cast<long>(at + length));
  }
  PutU8(&out, 0);     // block terminator
  PutU8(&out, 0x3B);  // trailer
  return out;
}
