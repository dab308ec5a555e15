#include "tools/icon-gen/icon_file.h"

#include <math.h>

namespace {

// Named palette entries; the remaining entries form a grey ramp so that the palette is full.
enum PaletteIndex : uint8_t {
  kBlack = 0,
  kOutline,
  kCover,
  kCoverLight,
  kPage,
  kPageShade,
  kPageGutter,
  kText,
  kSpine,
  kRibbon,
  kPageEdge,
  kNamedColours
};

struct Palette {
  uint32_t Entries[kIconPaletteSize];
  Palette() {
    const uint32_t named[kNamedColours] = {
        0x000000,  // black
        0x2a1a10,  // outline
        0x7c1c1c,  // cover
        0xa8352c,  // cover edge highlight
        0xfcfaf0,  // page
        0xe4dcc4,  // page shade
        0xc2b494,  // gutter shade
        0x5a607c,  // text lines
        0x6e5238,  // spine
        0x2c5cb4,  // ribbon
        0xd8ccac,  // page stack edge
    };
    for (size_t i = 0; i < kIconPaletteSize; ++i) {
      if (i < kNamedColours) {
        Entries[i] = named[i];
      } else {
        const uint32_t level = static_cast<uint32_t>((i - kNamedColours) * 255 /
                                                     (kIconPaletteSize - 1 - kNamedColours));
        Entries[i] = (level << 16) | (level << 8) | level;
      }
    }
  }
};

const Palette& ThePalette() {
  static const Palette palette;
  return palette;
}

// The book in unit coordinates: u runs left to right, v top to bottom, both 0 to 1. The pages
// bow down toward the spine at u = 0.5; the cover shows below and beside them.
const double kPageHalfWidth = 0.43;
const double kCoverHalfWidth = 0.48;

double PageTop(double d) {
  const double t = 1.0 - (d < kPageHalfWidth ? d : kPageHalfWidth) / kPageHalfWidth;
  return 0.16 + 0.10 * t * t;
}

const double kPageHeight = 0.56;

uint8_t BookPixel(int size, int column, int row, bool* opaque) {
  const double u = (column + 0.5) / size;
  const double v = (row + 0.5) / size;
  const double d = fabs(u - 0.5);
  const double pixel = 1.0 / size;
  const double top = PageTop(d);
  const double bottom = top + kPageHeight;
  *opaque = true;

  const bool leftPage = u < 0.5;
  // The two columns beside the spine.
  const int spineColumn = size / 2;
  if (d <= kPageHalfWidth && v >= top && v <= bottom) {
    if (column == spineColumn) return kSpine;
    if (column == spineColumn - 1) return kPageGutter;
    // A ribbon bookmark hangs from the top of the right page down over its lower edge.
    const double ribbonLeft = 0.5 + 0.22;
    if (u >= ribbonLeft && u < ribbonLeft + (size >= 32 ? 2.0 : 1.0) * pixel && v >= top) {
      return kRibbon;
    }
    // Lines of text, fewer and farther apart at small sizes.
    const int lines = size >= 32 ? 6 : 3;
    const double firstLine = top + 0.10;
    const double spacing = (kPageHeight - 0.18) / (lines - 1);
    if (d >= 0.06 && d <= kPageHalfWidth - 0.07) {
      for (int i = 0; i < lines; ++i) {
        // The last line of the left page is a short one, as at the end of a paragraph.
        if (leftPage && i == lines - 1 && d < 0.22) continue;
        const double lineV = firstLine + i * spacing;
        if (v >= lineV - pixel / 2 && v < lineV + pixel / 2) return kText;
      }
    }
    return d < 0.09 ? kPageShade : kPage;
  }
  // The stack of pages below the open pair.
  if (d <= kPageHalfWidth && v > bottom && v <= bottom + 0.05) {
    if (column == spineColumn) return kSpine;
    return kPageEdge;
  }
  // The cover, a little wider and lower than the pages.
  if (d <= kCoverHalfWidth && v >= top + 0.04 && v <= bottom + 0.10) {
    if (v > bottom + 0.10 - 1.5 * pixel) return kCoverLight;
    return kCover;
  }
  // The ribbon's loose end below the book.
  if (u >= 0.72 && u < 0.72 + (size >= 32 ? 2.0 : 1.0) * pixel && v > bottom &&
      v <= bottom + 0.18) {
    return kRibbon;
  }
  *opaque = false;
  return kBlack;
}

void Put16(std::vector<uint8_t>* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

// Bitmap rows are padded to whole 32-bit words.
size_t RowBytes(int size, int bitsPerPixel) {
  return (static_cast<size_t>(size) * static_cast<size_t>(bitsPerPixel) + 31) / 32 * 4;
}

const size_t kInfoHeaderSize = 40;

size_t ImageBytes(const IconImage& image) {
  const size_t rows = static_cast<size_t>(image.Size);
  return kInfoHeaderSize + kIconPaletteSize * 4 + rows * RowBytes(image.Size, 8) +
         rows * RowBytes(image.Size, 1);
}

void PutImage(std::vector<uint8_t>* out, const IconImage& image) {
  const int size = image.Size;
  const size_t colourRow = RowBytes(size, 8);
  const size_t maskRow = RowBytes(size, 1);
  // BITMAPINFOHEADER: the height counts the colour bitmap and the mask together.
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(size));
  Put32(out, static_cast<uint32_t>(size) * 2);
  Put16(out, 1);  // planes
  Put16(out, 8);  // bits per pixel
  Put32(out, 0);  // BI_RGB
  Put32(out, static_cast<uint32_t>(static_cast<size_t>(size) * (colourRow + maskRow)));
  Put32(out, 0);  // horizontal resolution
  Put32(out, 0);  // vertical resolution
  Put32(out, 0);  // colours used: all 256
  Put32(out, 0);  // important colours: all
  for (size_t i = 0; i < kIconPaletteSize; ++i) {
    const uint32_t rgb = IconPalette()[i];
    out->push_back(static_cast<uint8_t>(rgb));        // blue
    out->push_back(static_cast<uint8_t>(rgb >> 8));   // green
    out->push_back(static_cast<uint8_t>(rgb >> 16));  // red
    out->push_back(0);
  }
  // Both bitmaps are stored bottom row first.
  for (int row = size - 1; row >= 0; --row) {
    const size_t start = static_cast<size_t>(row) * static_cast<size_t>(size);
    for (int column = 0; column < size; ++column) {
      out->push_back(image.Pixels[start + static_cast<size_t>(column)]);
    }
    out->insert(out->end(), colourRow - static_cast<size_t>(size), 0);
  }
  for (int row = size - 1; row >= 0; --row) {
    const size_t start = static_cast<size_t>(row) * static_cast<size_t>(size);
    std::vector<uint8_t> bits(maskRow, 0);
    // A set mask bit lets the background show through.
    for (int column = 0; column < size; ++column) {
      if (!image.Opaque[start + static_cast<size_t>(column)]) {
        bits[static_cast<size_t>(column / 8)] |= static_cast<uint8_t>(0x80 >> (column % 8));
      }
    }
    out->insert(out->end(), bits.begin(), bits.end());
  }
}

}  // namespace

const uint32_t* IconPalette() { return ThePalette().Entries; }

IconImage DrawBookIcon(int size) {
  IconImage image;
  image.Size = size;
  const size_t count = static_cast<size_t>(size) * static_cast<size_t>(size);
  image.Pixels.assign(count, kBlack);
  image.Opaque.assign(count, 0);
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      bool opaque = false;
      const uint8_t colour = BookPixel(size, column, row, &opaque);
      const size_t at =
          static_cast<size_t>(row) * static_cast<size_t>(size) + static_cast<size_t>(column);
      image.Pixels[at] = colour;
      image.Opaque[at] = opaque ? 1 : 0;
    }
  }
  // A dark outline wherever the book meets the background, so it reads on any colour.
  std::vector<uint8_t> opaque = image.Opaque;
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      const size_t at =
          static_cast<size_t>(row) * static_cast<size_t>(size) + static_cast<size_t>(column);
      if (!opaque[at] || image.Pixels[at] == kRibbon) continue;
      auto clear = [&](int r, int c) {
        return r < 0 || c < 0 || r >= size || c >= size ||
               !opaque[static_cast<size_t>(r) * static_cast<size_t>(size) + static_cast<size_t>(c)];
      };
      if (clear(row - 1, column) || clear(row + 1, column) || clear(row, column - 1) ||
          clear(row, column + 1)) {
        image.Pixels[at] = kOutline;
      }
    }
  }
  return image;
}

std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage>& images) {
  std::vector<uint8_t> out;
  const size_t count = images.size();
  // ICONDIR
  Put16(&out, 0);
  Put16(&out, 1);  // icon, not cursor
  Put16(&out, static_cast<uint32_t>(count));
  // ICONDIRENTRY per image; the images follow the directory in the same order.
  size_t offset = 6 + 16 * count;
  for (const IconImage& image : images) {
    out.push_back(static_cast<uint8_t>(image.Size));  // 256 would be written as 0
    out.push_back(static_cast<uint8_t>(image.Size));
    out.push_back(0);  // colour count: 0 stands for 256 colours
    out.push_back(0);  // reserved
    Put16(&out, 1);    // planes
    Put16(&out, 8);    // bits per pixel
    Put32(&out, static_cast<uint32_t>(ImageBytes(image)));
    Put32(&out, static_cast<uint32_t>(offset));
    offset += ImageBytes(image);
  }
  for (const IconImage& image : images) PutImage(&out, image);
  return out;
}
