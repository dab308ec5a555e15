#include "tests/e2e/screenshot.h"

#include <algorithm>
#include <cstdio>

namespace pagix_e2e {
namespace {

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 24));
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4],
              const std::vector<std::uint8_t>& data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBigEndian32(out, Crc32(typed.data(), typed.size()));
}

// A zlib stream holding the bytes in stored deflate blocks of at most 65535 bytes.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out = {0x78, 0x01};
  size_t offset = 0;
  do {
    size_t length = std::min<size_t>(65535, raw.size() - offset);
    bool last = offset + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(~length));
    out.push_back(static_cast<std::uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
               raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
    offset += length;
  } while (offset < raw.size());
  PutBigEndian32(out, Adler32(raw.data(), raw.size()));
  return out;
}

bool Uniform(const RgbImage& image) {
  for (size_t i = 3; i < image.Pixels.size(); ++i) {
    if (image.Pixels[i] != image.Pixels[i % 3]) return false;
  }
  return true;
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, size_t size, std::uint32_t crc) {
  static std::uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* bytes, size_t size) {
  std::uint32_t a = 1, b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + bytes[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian32(header, static_cast<std::uint32_t>(image.Width));
  PutBigEndian32(header, static_cast<std::uint32_t>(image.Height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  // Each row starts with its filter type, 0 (none).
  const size_t row = static_cast<size_t>(image.Width) * 3;
  std::vector<std::uint8_t> raw;
  raw.reserve((row + 1) * static_cast<size_t>(image.Height));
  for (int y = 0; y < image.Height; ++y) {
    raw.push_back(0);
    auto first = image.Pixels.begin() + static_cast<std::ptrdiff_t>(row * static_cast<size_t>(y));
    raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(row));
  }
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

RgbImage CaptureScreen(const RECT& wanted) {
  RgbImage image;
  // Only what lies on the screen can be read.
  const RECT desktop = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT area;
  if (!IntersectRect(&area, &wanted, &desktop)) return image;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return image;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL copied =
      BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint8_t> bgrx(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  int rows = copied ? GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info,
                                DIB_RGB_COLORS)
                    : 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return image;
  image.Width = width;
  image.Height = height;
  image.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (size_t i = 0, n = static_cast<size_t>(width) * static_cast<size_t>(height); i < n; ++i) {
    image.Pixels[i * 3] = bgrx[i * 4 + 2];
    image.Pixels[i * 3 + 1] = bgrx[i * 4 + 1];
    image.Pixels[i * 3 + 2] = bgrx[i * 4];
  }
  return image;
}

RgbImage CaptureWindow(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return RgbImage();
  return CaptureScreen(rect);
}

RgbImage CaptureSettled(HWND window, DWORD timeoutMs, bool* settled) {
  RgbImage previous, current;
  *settled = false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    current = CaptureWindow(window);
    if (!current.Pixels.empty() && !Uniform(current) && current.Width == previous.Width &&
        current.Height == previous.Height && current.Pixels == previous.Pixels) {
      *settled = true;
      break;
    }
    previous = current;
    Sleep(50);
  }
  return current;
}

bool SaveWindowScreenshot(HWND window, const std::string& path, std::string* error) {
  bool settled = false;
  RgbImage current = CaptureSettled(window, 5000, &settled);
  if (current.Pixels.empty()) {
    if (error) *error = "the window's screen area could not be captured";
    return false;
  }
  std::vector<std::uint8_t> png = EncodePng(current);
  FILE* file = std::fopen(path.c_str(), "wb");
  bool written = file && std::fwrite(png.data(), 1, png.size(), file) == png.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  if (!settled) {
    if (error) *error = "the window's picture did not settle within 5 s (written anyway)";
    return false;
  }
  return true;
}

}  // namespace pagix_e2e
