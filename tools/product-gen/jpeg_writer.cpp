#include "tools/product-gen/jpeg_writer.h"

#include <math.h>
#include <string.h>

namespace {

const double kPi = 3.14159265358979323846;

struct HuffmanCode {
  uint16_t Code[256];
  uint8_t Length[256];
};

void MakeCodes(const uint8_t bits[17], const uint8_t values[256], HuffmanCode* out) {
  memset(out, 0, sizeof *out);
  unsigned code = 0;
  int k = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < bits[length]; ++i) {
      out->Code[values[k]] = static_cast<uint16_t>(code);
      out->Length[values[k]] = static_cast<uint8_t>(length);
      ++code;
      ++k;
    }
    code <<= 1;
  }
}

class BitWriter {
 public:
  explicit BitWriter(Bytes* out) : out_(out) {}
  void Put(unsigned value, int length) {
    for (int i = length - 1; i >= 0; --i) {
      current_ = static_cast<uint8_t>((static_cast<unsigned>(current_) << 1) |
                                      ((value >> static_cast<unsigned>(i)) & 1u));
      if (++count_ == 8) Emit();
    }
  }
  // Pads the last byte with one bits, as the entropy-coded segment ends.
  void Finish() {
    while (count_ != 0) Put(1, 1);
  }

 private:
  void Emit() {
    out_->push_back(current_);
    if (current_ == 0xFF) out_->push_back(0x00);  // a data byte 0xFF is stuffed
    current_ = 0;
    count_ = 0;
  }
  Bytes* out_;
  uint8_t current_ = 0;
  int count_ = 0;
};

// Number of bits of |value| (the JPEG magnitude category) and the bits that code value.
int Category(int value) {
  int magnitude = value < 0 ? -value : value;
  int bits = 0;
  while (magnitude) {
    ++bits;
    magnitude >>= 1;
  }
  return bits;
}

unsigned MagnitudeBits(int value, int category) {
  if (value >= 0) return static_cast<unsigned>(value);
  return static_cast<unsigned>(value - 1) & ((1u << category) - 1);
}

// One quantised block in zig-zag order, per component.
struct Block {
  int Component;
  int Coefficients[64];
};

// Walks the entropy-coded symbols of the blocks in scan order: for each, the table (0:
// luminance, 1: chrominance), whether it is a DC symbol, the symbol, and the value with its
// category whose magnitude bits follow the symbol (category 0: none).
template <typename Visit>
void ForEachSymbol(const std::vector<Block>& blocks, Visit visit) {
  int previous_dc[3] = {0, 0, 0};
  for (const Block& block : blocks) {
    const int t = block.Component == 0 ? 0 : 1;
    const int diff = block.Coefficients[0] - previous_dc[block.Component];
    previous_dc[block.Component] = block.Coefficients[0];
    visit(t, true, Category(diff), diff, Category(diff));
    int run = 0;
    for (int k = 1; k < 64; ++k) {
      const int value = block.Coefficients[k];
      if (value == 0) {
        ++run;
        continue;
      }
      for (; run > 15; run -= 16) visit(t, false, 0xF0, 0, 0);  // sixteen zeros
      const int category = Category(value);
      visit(t, false, (run << 4) | category, value, category);
      run = 0;
    }
    if (run > 0) visit(t, false, 0x00, 0, 0);  // end of block
  }
}

// Our quantisation steps grow with the frequency u + v; the chroma ones grow faster because the
// eye notices less of its detail.
void MakeQuantTable(int quality, int growth, int base, uint8_t table[64]) {
  if (quality < 1) quality = 1;
  if (quality > 100) quality = 100;
  const double scale = quality < 50 ? 50.0 / quality : (100.0 - quality) / 50.0 + 0.02;
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double step = (base + growth * (u + v)) * scale;
      int rounded = static_cast<int>(step + 0.5);
      if (rounded < 1) rounded = 1;
      if (rounded > 255) rounded = 255;
      table[v * 8 + u] = static_cast<uint8_t>(rounded);
    }
  }
}

void ForwardDct(const double in[64], double out[64]) {
  static double cosine[8][8];
  static bool ready = false;
  if (!ready) {
    for (int x = 0; x < 8; ++x)
      for (int u = 0; u < 8; ++u) cosine[x][u] = cos((2 * x + 1) * u * kPi / 16.0);
    ready = true;
  }
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double sum = 0;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) sum += in[y * 8 + x] * cosine[x][u] * cosine[y][v];
      const double cu = u == 0 ? 1.0 / sqrt(2.0) : 1.0;
      const double cv = v == 0 ? 1.0 / sqrt(2.0) : 1.0;
      out[v * 8 + u] = 0.25 * cu * cv * sum;
    }
  }
}

void PutMarker(Bytes* out, unsigned marker) {
  PutU8(out, 0xFF);
  PutU8(out, marker);
}

void PutHuffmanTable(Bytes* out, unsigned classAndId, const uint8_t bits[17],
                     const uint8_t values[256], int count) {
  PutMarker(out, 0xC4);
  PutBe16(out, static_cast<unsigned>(2 + 1 + 16 + count));
  PutU8(out, classAndId);
  for (int i = 1; i <= 16; ++i) PutU8(out, bits[i]);
  for (int i = 0; i < count; ++i) PutU8(out, values[i]);
}

}  // namespace

void ZigZagOrder(int order[64]) {
  int k = 0;
  for (int diagonal = 0; diagonal < 15; ++diagonal) {
    // Even diagonals run from bottom-left to top-right, odd ones the other way.
    for (int i = 0; i <= diagonal; ++i) {
      int row = diagonal % 2 == 0 ? diagonal - i : i;
      int column = diagonal - row;
      if (row < 8 && column < 8) order[k++] = row * 8 + column;
    }
  }
}

int BuildHuffmanTable(const long counts[256], uint8_t bits[17], uint8_t values[256]) {
  // Index 256 is a reserved symbol with the smallest count: it takes the all-ones code, which
  // is then dropped, so that no real code consists of one bits only.
  long frequency[257];
  int size[257];
  int chain[257];
  for (int i = 0; i < 256; ++i) frequency[i] = counts[i];
  frequency[256] = 1;
  for (int i = 0; i < 257; ++i) {
    size[i] = 0;
    chain[i] = -1;
  }
  for (;;) {
    // The two least frequent trees; among equals the higher symbol goes first.
    int first = -1, second = -1;
    for (int i = 0; i < 257; ++i) {
      if (frequency[i] == 0) continue;
      if (first < 0 || frequency[i] <= frequency[first]) first = i;
    }
    for (int i = 0; i < 257; ++i) {
      if (frequency[i] == 0 || i == first) continue;
      if (second < 0 || frequency[i] <= frequency[second]) second = i;
    }
    if (second < 0) break;
    frequency[first] += frequency[second];
    frequency[second] = 0;
    int node = first;
    ++size[node];
    while (chain[node] >= 0) {
      node = chain[node];
      ++size[node];
    }
    chain[node] = second;
    node = second;
    ++size[node];
    while (chain[node] >= 0) {
      node = chain[node];
      ++size[node];
    }
  }
  int length_count[258] = {};
  for (int i = 0; i < 257; ++i) {
    if (size[i] > 0) ++length_count[size[i]];
  }
  // Move codes longer than 16 bits up the tree: a pair of longest codes becomes one code one
  // bit shorter plus two codes below a shorter leaf.
  for (int length = 257; length > 16; --length) {
    while (length_count[length] > 0) {
      int j = length - 2;
      while (length_count[j] == 0) --j;
      length_count[length] -= 2;
      length_count[length - 1] += 1;
      length_count[j + 1] += 2;
      length_count[j] -= 1;
    }
  }
  int longest = 16;
  while (length_count[longest] == 0) --longest;
  length_count[longest] -= 1;  // the reserved symbol's code
  memset(bits, 0, 17);
  for (int i = 1; i <= 16; ++i) bits[i] = static_cast<uint8_t>(length_count[i]);
  int count = 0;
  for (int length = 1; length < 258; ++length) {
    for (int symbol = 0; symbol < 256; ++symbol) {
      if (size[symbol] == length) values[count++] = static_cast<uint8_t>(symbol);
    }
  }
  return count;
}

Bytes WriteBaselineJpeg(const RgbImage& image, int quality) {
  uint8_t quant[2][64];
  MakeQuantTable(quality, 2, 4, quant[0]);
  MakeQuantTable(quality, 4, 8, quant[1]);
  int zigzag[64];
  ZigZagOrder(zigzag);

  // Transform and quantise every block; edge blocks repeat the last row and column.
  const int blocks_x = (image.Width + 7) / 8;
  const int blocks_y = (image.Height + 7) / 8;
  std::vector<Block> blocks;
  for (int by = 0; by < blocks_y; ++by) {
    for (int bx = 0; bx < blocks_x; ++bx) {
      double samples[3][64];
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          int px = bx * 8 + x < image.Width ? bx * 8 + x : image.Width - 1;
          int py = by * 8 + y < image.Height ? by * 8 + y : image.Height - 1;
          const Rgb& c = image.At(px, py);
          const double r = c.R, g = c.G, b = c.B;
          samples[0][y * 8 + x] = 0.299 * r + 0.587 * g + 0.114 * b - 128.0;
          samples[1][y * 8 + x] = -0.168736 * r - 0.331264 * g + 0.5 * b;
          samples[2][y * 8 + x] = 0.5 * r - 0.418688 * g - 0.081312 * b;
        }
      }
      for (int component = 0; component < 3; ++component) {
        double transformed[64];
        ForwardDct(samples[component], transformed);
        Block block;
        block.Component = component;
        const uint8_t* table = quant[component == 0 ? 0 : 1];
        for (int k = 0; k < 64; ++k) {
          const int at = zigzag[k];
          long value = lround(transformed[at] / table[at]);
          // Baseline coding has magnitude categories up to 10 for AC coefficients.
          if (k > 0 && value > 1023) value = 1023;
          if (k > 0 && value < -1023) value = -1023;
          block.Coefficients[k] = static_cast<int>(value);
        }
        blocks.push_back(block);
      }
    }
  }

  // First pass: count the symbols of each table (0: luminance, 1: chrominance).
  long dc_counts[2][256] = {};
  long ac_counts[2][256] = {};
  ForEachSymbol(blocks, [&](int t, bool dc, int symbol, int, int) {
    ++(dc ? dc_counts : ac_counts)[t][symbol];
  });
  uint8_t dc_bits[2][17], dc_values[2][256], ac_bits[2][17], ac_values[2][256];
  int dc_count[2], ac_count[2];
  HuffmanCode dc_code[2], ac_code[2];
  for (int t = 0; t < 2; ++t) {
    dc_count[t] = BuildHuffmanTable(dc_counts[t], dc_bits[t], dc_values[t]);
    ac_count[t] = BuildHuffmanTable(ac_counts[t], ac_bits[t], ac_values[t]);
    MakeCodes(dc_bits[t], dc_values[t], &dc_code[t]);
    MakeCodes(ac_bits[t], ac_values[t], &ac_code[t]);
  }

  Bytes out;
  PutMarker(&out, 0xD8);  // start of image
  PutMarker(&out, 0xE0);  // JFIF header, version 1.01, no density
  PutBe16(&out, 16);
  PutText(&out, std::string("JFIF", 5));
  PutU8(&out, 1);
  PutU8(&out, 1);
  PutU8(&out, 0);
  PutBe16(&out, 1);
  PutBe16(&out, 1);
  PutU8(&out, 0);
  PutU8(&out, 0);
  for (int t = 0; t < 2; ++t) {
    PutMarker(&out, 0xDB);  // quantisation table, 8-bit steps, in zig-zag order
    PutBe16(&out, 2 + 1 + 64);
    PutU8(&out, static_cast<unsigned>(t));
    for (int k = 0; k < 64; ++k) PutU8(&out, quant[t][zigzag[k]]);
  }
  PutMarker(&out, 0xC0);  // baseline frame
  PutBe16(&out, 8 + 3 * 3);
  PutU8(&out, 8);
  PutBe16(&out, static_cast<unsigned>(image.Height));
  PutBe16(&out, static_cast<unsigned>(image.Width));
  PutU8(&out, 3);
  for (unsigned component = 0; component < 3; ++component) {
    PutU8(&out, component + 1);
    PutU8(&out, 0x11);  // no subsampling
    PutU8(&out, component == 0 ? 0 : 1);
  }
  for (unsigned t = 0; t < 2; ++t) {
    PutHuffmanTable(&out, 0x00 | t, dc_bits[t], dc_values[t], dc_count[t]);
    PutHuffmanTable(&out, 0x10 | t, ac_bits[t], ac_values[t], ac_count[t]);
  }
  PutMarker(&out, 0xDA);  // start of scan: all three components, interleaved
  PutBe16(&out, 6 + 2 * 3);
  PutU8(&out, 3);
  for (unsigned component = 0; component < 3; ++component) {
    PutU8(&out, component + 1);
    PutU8(&out, component == 0 ? 0x00 : 0x11);
  }
  PutU8(&out, 0);   // spectral start
  PutU8(&out, 63);  // spectral end
  PutU8(&out, 0);   // successive approximation

  BitWriter writer(&out);
  ForEachSymbol(blocks, [&](int t, bool dc, int symbol, int value, int category) {
    const HuffmanCode& code = (dc ? dc_code : ac_code)[t];
    writer.Put(code.Code[symbol], code.Length[symbol]);
    writer.Put(MagnitudeBits(value, category), category);
  });
  writer.Finish();
  PutMarker(&out, 0xD9);  // end of image
  return out;
}
