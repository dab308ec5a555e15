// GIF89a pictures with LZW-compressed pixel data.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "tools/product-gen/byte_writer.h"
#include "tools/product-gen/image.h"

// The LZW code stream of GIF for the given indices: a clear code first, variable code widths
// from minimumCodeSize + 1 up to 12 bits, a clear code whenever the table is full, the end code
// last; packed least significant bit first. Not yet cut into sub-blocks.
Bytes EncodeGifLzw(const uint8_t* indices, size_t count, int minimumCodeSize);

// One-frame GIF89a file with a global colour table (padded to a power of two) and, when the
// image has a transparent index, a graphic control extension naming it.
Bytes WriteGif(const IndexedImage& image);
