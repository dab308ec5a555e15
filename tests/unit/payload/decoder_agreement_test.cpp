// The installer's decoder against the reference decoder: the same bytes, the same read
// results and the same source calls, read by read.
#include <gtest/gtest.h>

#include <stdio.h>

#include <random>
#include <string>
#include <vector>

#include "payload/lzhuf_decoder.h"
#include "tests/support/reference_decoder.h"
#include "tests/unit/payload/lzhuf_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

DecodeTrace TraceReference(const Bytes& item, int32_t capacity) {
  return TraceDecoding<ReferenceDecoder>(ReferenceDecoderInit, ReferenceDecoderRead, item,
                                         capacity);
}

void ExpectAgreement(const Bytes& item, int32_t capacity) {
  DecodeTrace real = TraceLzhuf(item, capacity);
  DecodeTrace reference = TraceReference(item, capacity);
  ASSERT_EQ(real.Bytes.size(), reference.Bytes.size());
  EXPECT_TRUE(real.Bytes == reference.Bytes);
  EXPECT_TRUE(real.Counts == reference.Counts);
  EXPECT_TRUE(real.CallsAfterRead == reference.CallsAfterRead);
}

// A long stream in the shape of compressed executables and text: skewed literals, many short
// and some maximal matches, near and far offsets, with the favourites changing between phases so
// the tree keeps reordering and is rebuilt many times.
Bytes GeneratedItem(int symbols, Bytes* expected) {
  LzhufItemWriter writer;
  std::mt19937 random(12345);
  std::geometric_distribution<int> literal(0.05), shortLength(0.25), nearOffset(0.01);
  for (int i = 0; i < symbols; ++i) {
    int phase = i / 50000;
    unsigned kind = static_cast<unsigned>(random() % 10);
    if (kind < 6) {
      writer.Literal(static_cast<uint8_t>(literal(random) + phase * 41));
    } else if (kind < 9) {
      int length = 3 + shortLength(random) % 58;
      int offset =
          random() % 4 == 0 ? static_cast<int>(random() % 4096) : nearOffset(random) % 4096;
      writer.Match(length, offset);
    } else {
      writer.Match(60, static_cast<int>(random() % 64));
    }
  }
  if (expected) *expected = writer.Expected();
  return writer.Finish();
}

TEST(DecoderAgreement, GeneratedStreamOfAFewMegabytes) {
  Bytes expected;
  Bytes item = GeneratedItem(600000, &expected);
  ASSERT_GT(expected.size(), 5000000u);
  for (int32_t capacity : {256, 4096}) {
    SCOPED_TRACE(capacity);
    ExpectAgreement(item, capacity);
  }
  EXPECT_TRUE(TraceLzhuf(item, 256).Bytes == expected);
}

TEST(DecoderAgreement, SmallCapacitiesSplitEveryMatch) {
  Bytes item = GeneratedItem(20000, nullptr);
  for (int32_t capacity : {1, 3, 59, 61}) {
    SCOPED_TRACE(capacity);
    ExpectAgreement(item, capacity);
  }
}

// Arbitrary bytes decode into arbitrary output; both decoders must still agree exactly, including
// where the stream ends inside a symbol.
TEST(DecoderAgreement, ArbitraryBytes) {
  std::mt19937 random(99);
  const size_t sizes[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 16, 33, 100, 1000, 65536};
  for (size_t size : sizes) {
    for (int round = 0; round < 8; ++round) {
      Bytes item(size);
      for (uint8_t& b : item) b = static_cast<uint8_t>(random());
      SCOPED_TRACE(std::to_string(size) + "/" + std::to_string(round));
      ExpectAgreement(item, round % 2 ? 256 : 1 + static_cast<int32_t>(random() % 100));
    }
  }
  ExpectAgreement(Bytes(5000, 0x00), 256);
  ExpectAgreement(Bytes(5000, 0xFF), 256);
}

}  // namespace
