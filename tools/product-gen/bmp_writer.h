// Windows bitmap files: 24 bits per pixel, rows stored bottom to top.
#pragma once

#include "tools/product-gen/byte_writer.h"
#include "tools/product-gen/image.h"

Bytes WriteBmp24(const RgbImage& image);
