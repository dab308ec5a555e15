// The installer's icon: an open book, drawn at build time and written as a Windows .ico file.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

// One square image of 8-bit palette indices, top row first, with its opacity.
struct IconImage {
  int Size = 0;
  std::vector<uint8_t> Pixels;  // Size * Size palette indices
  std::vector<uint8_t> Opaque;  // Size * Size flags: 1 where the icon covers the background
};

// The 256-entry palette that every image uses, as 0x00RRGGBB. Entry 0 is black, the colour that
// transparent pixels carry so that the AND mask alone decides what shows through.
const uint32_t* IconPalette();
const size_t kIconPaletteSize = 256;

// Draws the open book at size x size pixels.
IconImage DrawBookIcon(int size);

// The .ico file holding the images in the given order, each as an 8 bits-per-pixel bitmap with
// the shared palette, followed by its 1 bit-per-pixel AND mask.
std::vector<uint8_t> EncodeIconFile(const std::vector<IconImage>& images);
