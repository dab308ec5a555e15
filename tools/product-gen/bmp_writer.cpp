#include "tools/product-gen/bmp_writer.h"

Bytes WriteBmp24(const RgbImage& image) {
  const uint32_t row_size = (static_cast<uint32_t>(image.Width) * 3 + 3) & ~3u;
  const uint32_t pixel_bytes = row_size * static_cast<uint32_t>(image.Height);
  const uint32_t header_size = 14 + 40;
  Bytes out;
  PutText(&out, "BM");
  PutLe32(&out, header_size + pixel_bytes);
  PutLe32(&out, 0);  // reserved
  PutLe32(&out, header_size);
  PutLe32(&out, 40);  // BITMAPINFOHEADER
  PutLe32(&out, static_cast<uint32_t>(image.Width));
  PutLe32(&out, static_cast<uint32_t>(image.Height));  // positive: bottom-up
  PutLe16(&out, 1);                                    // planes
  PutLe16(&out, 24);                                   // bits per pixel
  PutLe32(&out, 0);                                    // BI_RGB
  PutLe32(&out, pixel_bytes);
  PutLe32(&out, 2835);  // 72 dots per inch, in dots per metre
  PutLe32(&out, 2835);
  PutLe32(&out, 0);  // colours used
  PutLe32(&out, 0);  // important colours
  for (int y = image.Height - 1; y >= 0; --y) {
    uint32_t written = 0;
    for (int x = 0; x < image.Width; ++x) {
      const Rgb& c = image.At(x, y);
      PutU8(&out, c.B);
      PutU8(&out, c.G);
      PutU8(&out, c.R);
      written += 3;
    }
    for (; written < row_size; ++written) PutU8(&out, 0);
  }
  return out;
}
