#include <gtest/gtest.h>

#include <string>

#include "payload/crc32.h"

namespace {

uint32_t CrcOf(const std::string& text) {
  return Crc32Update(0, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(Crc32Test, KnownValues) {
  struct Case {
    std::string Text;
    uint32_t Crc;
  };
  const Case cases[] = {
      {"", 0x00000000u},
      {"a", 0xE8B7BE43u},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
      {std::string(1, '\0'), 0xD202EF8Du},
  };
  for (const Case& c : cases) EXPECT_EQ(CrcOf(c.Text), c.Crc) << c.Text;
}

TEST(Crc32Test, PiecewiseEqualsWhole) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text.push_back(static_cast<char>(i * 7 + i / 13));
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t cut : {size_t{0}, size_t{1}, size_t{255}, size_t{256}, size_t{999}, size_t{1000}}) {
    uint32_t crc = Crc32Update(Crc32Update(0, bytes, cut), bytes + cut, text.size() - cut);
    EXPECT_EQ(crc, CrcOf(text)) << cut;
  }
}

}  // namespace
