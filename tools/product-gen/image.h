// In-memory pictures that the product generator draws and then encodes.
#pragma once

#include <stdint.h>

#include <vector>

struct Rgb {
  uint8_t R, G, B;
};

// A true-colour picture, rows top to bottom.
struct RgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<Rgb> Pixels;

  RgbImage(int width, int height, Rgb fill)
      : Width(width), Height(height), Pixels(static_cast<size_t>(width * height), fill) {}
  Rgb& At(int x, int y) { return Pixels[static_cast<size_t>(y * Width + x)]; }
  const Rgb& At(int x, int y) const { return Pixels[static_cast<size_t>(y * Width + x)]; }
};

// A picture of palette indices, rows top to bottom.
struct IndexedImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Indices;
  std::vector<Rgb> Palette;  // 2 to 256 entries
  int Transparent = -1;      // palette index shown as transparent, or -1

  IndexedImage(int width, int height, uint8_t fill)
      : Width(width), Height(height), Indices(static_cast<size_t>(width * height), fill) {}
  uint8_t& At(int x, int y) { return Indices[static_cast<size_t>(y * Width + x)]; }
  uint8_t At(int x, int y) const { return Indices[static_cast<size_t>(y * Width + x)]; }
};
