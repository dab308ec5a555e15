// The pictures and the font of the product, drawn pixel by pixel here.
#include <math.h>

#include "tools/product-gen/bmp_writer.h"
#include "tools/product-gen/gif_writer.h"
#include "tools/product-gen/jpeg_writer.h"
#include "tools/product-gen/pf2_writer.h"
#include "tools/product-gen/product_files.h"

namespace {

// A small deterministic pseudo-random sequence, so every build draws the same pixels.
class Lcg {
 public:
  explicit Lcg(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  int Below(int limit) { return static_cast<int>(Next() % static_cast<uint32_t>(limit)); }

 private:
  uint32_t state_;
};

uint8_t Clamp(double value) {
  if (value < 0) return 0;
  if (value > 255) return 255;
  return static_cast<uint8_t>(value + 0.5);
}

Rgb Mix(Rgb a, Rgb b, double t) {
  return Rgb{Clamp(a.R + (b.R - a.R) * t), Clamp(a.G + (b.G - a.G) * t),
             Clamp(a.B + (b.B - a.B) * t)};
}

Rgb Lighten(Rgb c, double amount) {
  return Rgb{Clamp(c.R + amount), Clamp(c.G + amount), Clamp(c.B + amount)};
}

void FillRect(IndexedImage* image, int x0, int y0, int x1, int y1, uint8_t index) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) image->At(x, y) = index;
}

void FillRect(RgbImage* image, int x0, int y0, int x1, int y1, Rgb colour) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) image->At(x, y) = colour;
}

void FrameRect(IndexedImage* image, int x0, int y0, int x1, int y1, uint8_t index) {
  for (int x = x0; x <= x1; ++x) image->At(x, y0) = image->At(x, y1) = index;
  for (int y = y0; y <= y1; ++y) image->At(x0, y) = image->At(x1, y) = index;
}

// The dictionary icon: a closed red book with gold bands and a paper label.
Bytes MakeDictionaryIcon() {
  enum : uint8_t { kClear, kInk, kCover, kCoverLight, kGold, kPaper, kPaperLine };
  IndexedImage icon(32, 32, kClear);
  icon.Palette = {{255, 0, 255},  {24, 16, 16},    {138, 28, 36},  {186, 58, 62},
                  {222, 178, 64}, {250, 246, 232}, {168, 160, 148}};
  icon.Transparent = kClear;
  FillRect(&icon, 24, 5, 27, 29, kPaper);  // page edges behind the cover
  for (int y = 7; y <= 28; y += 2) FillRect(&icon, 24, y, 26, y, kPaperLine);
  FrameRect(&icon, 23, 4, 28, 30, kInk);
  FillRect(&icon, 4, 2, 24, 28, kCover);
  FillRect(&icon, 5, 3, 8, 27, kCoverLight);  // the spine catches the light
  FrameRect(&icon, 4, 2, 24, 28, kInk);
  FillRect(&icon, 9, 6, 23, 7, kGold);
  FillRect(&icon, 9, 23, 23, 24, kGold);
  FillRect(&icon, 11, 11, 21, 19, kPaper);
  FrameRect(&icon, 11, 11, 21, 19, kInk);
  FillRect(&icon, 13, 13, 19, 13, kPaperLine);
  FillRect(&icon, 13, 15, 18, 15, kPaperLine);
  FillRect(&icon, 13, 17, 17, 17, kPaperLine);
  return WriteGif(icon);
}

// The file icon: a sheet with a folded corner and lines of text.
Bytes MakeFileIcon() {
  enum : uint8_t { kClear, kInk, kPaper, kFold, kText };
  IndexedImage icon(32, 32, kClear);
  icon.Palette = {{0, 255, 0}, {20, 20, 28}, {255, 255, 255}, {196, 200, 212}, {46, 84, 160}};
  icon.Transparent = kClear;
  const int left = 6, right = 25, top = 2, bottom = 29, fold = 7;
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      // Cut the top right corner along the fold's diagonal.
      if (y - top < fold && x > right - fold + (y - top)) continue;
      bool edge = x == left || x == right || y == top || y == bottom ||
                  (y - top < fold && x == right - fold + (y - top));
      icon.At(x, y) = edge ? kInk : kPaper;
    }
  }
  for (int i = 0; i <= fold; ++i) {  // the folded-over flap
    for (int x = right - fold; x <= right - fold + i; ++x) {
      icon.At(x, top + i) = (x == right - fold || i == fold) ? kInk : kFold;
    }
  }
  const int line_ends[] = {17, 21, 19, 22, 16, 20};
  for (int i = 0; i < 6; ++i) FillRect(&icon, 9, 11 + i * 3, line_ends[i], 11 + i * 3, kText);
  return WriteGif(icon);
}

// The reading background: warm paper with a soft diagonal weave and a little grain.
Bytes MakeBackground() {
  RgbImage image(192, 128, Rgb{0, 0, 0});
  Lcg grain(1998);
  const Rgb top{238, 226, 198}, bottom{212, 194, 158};
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      Rgb base = Mix(top, bottom, y / static_cast<double>(image.Height - 1));
      double weave = 5.0 * sin((x + y) / 7.0) + 3.0 * sin((x - y) / 11.0);
      image.At(x, y) = Lighten(base, weave + grain.Below(7) - 3);
    }
  }
  return WriteBaselineJpeg(image, 85);
}

// An open book on a dark wooden desk.
Bytes MakeBookPicture() {
  RgbImage image(128, 160, Rgb{0, 0, 0});
  const Rgb wood{92, 58, 34};
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      image.At(x, y) = Lighten(wood, 10.0 * sin(x / 3.0 + sin(y / 17.0) * 2.0));
  const Rgb paper{248, 240, 222}, shade{206, 194, 170}, ink{110, 100, 92};
  const int spine = 64;
  for (int y = 18; y <= 142; ++y) {
    for (int x = 10; x <= 118; ++x) {
      double towards_spine = 1.0 - fabs(x - spine) / 54.0;
      image.At(x, y) = Mix(paper, shade, towards_spine * towards_spine);
    }
  }
  FillRect(&image, spine - 1, 18, spine, 142, Rgb{150, 136, 112});
  Lcg words(913);
  for (int page = 0; page < 2; ++page) {
    const int x0 = page == 0 ? 18 : spine + 8;
    for (int y = 28; y <= 132; y += 7) {
      int x = x0;
      const int x_end = x0 + 44 - (y == 132 ? 20 : 0);
      while (x < x_end) {
        int word = 3 + words.Below(8);
        if (x + word > x_end) word = x_end - x;
        FillRect(&image, x, y, x + word - 1, y + 1, ink);
        x += word + 2;
      }
    }
  }
  return WriteBaselineJpeg(image, 85);
}

void Bevel(RgbImage* image, int x0, int y0, int x1, int y1, Rgb face) {
  FillRect(image, x0, y0, x1, y1, face);
  FillRect(image, x0, y0, x1, y0, Lighten(face, 60));
  FillRect(image, x0, y0, x0, y1, Lighten(face, 60));
  FillRect(image, x0, y1, x1, y1, Lighten(face, -70));
  FillRect(image, x1, y0, x1, y1, Lighten(face, -70));
}

// The book menu strip: four raised buttons (previous page, next page, contents, close).
Bytes MakeBookMenu() {
  RgbImage image(128, 24, Rgb{0, 0, 0});
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      image.At(x, y) = Mix(Rgb{104, 120, 150}, Rgb{60, 72, 100}, y / 23.0);
  const Rgb face{200, 204, 212}, mark{30, 40, 70};
  for (int i = 0; i < 4; ++i) {
    const int x0 = 4 + i * 31, y0 = 3;
    Bevel(&image, x0, y0, x0 + 27, y0 + 17, face);
    const int cx = x0 + 13, cy = y0 + 8;
    switch (i) {
      case 0:  // previous: a triangle pointing left
        for (int d = 0; d <= 5; ++d) FillRect(&image, cx - 3 + d, cy - d, cx - 3 + d, cy + d, mark);
        break;
      case 1:  // next: a triangle pointing right
        for (int d = 0; d <= 5; ++d) FillRect(&image, cx + 3 - d, cy - d, cx + 3 - d, cy + d, mark);
        break;
      case 2:  // contents: three lines
        for (int l = -1; l <= 1; ++l)
          FillRect(&image, cx - 6, cy + l * 4, cx + 6, cy + l * 4 + 1, mark);
        break;
      default:  // close: a cross
        for (int d = -5; d <= 5; ++d) {
          FillRect(&image, cx + d, cy + d, cx + d + 1, cy + d, mark);
          FillRect(&image, cx + d, cy - d, cx + d + 1, cy - d, mark);
        }
        break;
    }
  }
  return WriteBmp24(image);
}

// The night-sky skin: a dark gradient with scattered stars.
Bytes MakeSpace() {
  RgbImage image(64, 64, Rgb{0, 0, 0});
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      image.At(x, y) = Mix(Rgb{10, 14, 40}, Rgb{2, 2, 12}, (x + y) / 126.0);
  Lcg sky(42);
  for (int i = 0; i < 70; ++i) {
    const int x = sky.Below(64), y = sky.Below(64);
    const uint8_t level = static_cast<uint8_t>(120 + sky.Below(136));
    image.At(x, y) = Rgb{level, level, static_cast<uint8_t>(level > 235 ? 255 : level + 20)};
  }
  const int bright[][2] = {{12, 18}, {40, 9}, {51, 44}, {22, 53}};
  for (const auto& star : bright) {
    const int x = star[0], y = star[1];
    image.At(x, y) = Rgb{255, 255, 255};
    image.At(x - 1, y) = image.At(x + 1, y) = Rgb{170, 180, 230};
    image.At(x, y - 1) = image.At(x, y + 1) = Rgb{170, 180, 230};
  }
  return WriteBmp24(image);
}

// Digits and the letters of the product's name, 8 x 8 pixels each.
Bytes MakePageFont() {
  static const Pf2Glyph glyphs[] = {
      {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x18, 0x18, 0x00}},
      {'0', {0x3C, 0x66, 0x6E, 0x76, 0x66, 0x66, 0x3C, 0x00}},
      {'1', {0x18, 0x38, 0x18, 0x18, 0x18, 0x18, 0x7E, 0x00}},
      {'2', {0x3C, 0x66, 0x06, 0x0C, 0x30, 0x60, 0x7E, 0x00}},
      {'3', {0x3C, 0x66, 0x06, 0x1C, 0x06, 0x66, 0x3C, 0x00}},
      {'4', {0x0C, 0x1C, 0x3C, 0x6C, 0x7E, 0x0C, 0x0C, 0x00}},
      {'5', {0x7E, 0x60, 0x7C, 0x06, 0x06, 0x66, 0x3C, 0x00}},
      {'6', {0x1C, 0x30, 0x60, 0x7C, 0x66, 0x66, 0x3C, 0x00}},
      {'7', {0x7E, 0x06, 0x0C, 0x18, 0x30, 0x30, 0x30, 0x00}},
      {'8', {0x3C, 0x66, 0x66, 0x3C, 0x66, 0x66, 0x3C, 0x00}},
      {'9', {0x3C, 0x66, 0x66, 0x3E, 0x06, 0x0C, 0x38, 0x00}},
      {'A', {0x18, 0x3C, 0x66, 0x66, 0x7E, 0x66, 0x66, 0x00}},
      {'G', {0x3C, 0x66, 0x60, 0x6E, 0x66, 0x66, 0x3E, 0x00}},
      {'I', {0x3C, 0x18, 0x18, 0x18, 0x18, 0x18, 0x3C, 0x00}},
      {'P', {0x7C, 0x66, 0x66, 0x7C, 0x60, 0x60, 0x60, 0x00}},
      {'X', {0x66, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0x66, 0x00}},
  };
  return WritePf2Font(glyphs, static_cast<int>(sizeof glyphs / sizeof glyphs[0]));
}

}  // namespace

const std::vector<DrawnFile>& DrawnFiles() {
  static const std::vector<DrawnFile> files = {
      {"Pagix_dicon.gif", MakeDictionaryIcon}, {"Pagix_ficon.gif", MakeFileIcon},
      {"PF1/Pagix.pf2", MakePageFont},         {"SKINS/Back.jpg", MakeBackground},
      {"SKINS/Book.jpg", MakeBookPicture},     {"SKINS/BookMenu.bmp", MakeBookMenu},
      {"SKINS/Space.bmp", MakeSpace},
  };
  return files;
}
