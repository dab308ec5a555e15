#include "payload/lzhuf_decoder.h"

#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "payload/memory_byte_source.h"
#include "tests/unit/payload/lzhuf_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Repeat(const std::string& text, int times) {
  Bytes out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), text.begin(), text.end());
  return out;
}

// Literals and matches whose copies cross read boundaries for every tested capacity, including
// overlapping repeats and copies from the initial dictionary.
Bytes MixedItem(Bytes* expected) {
  LzhufItemWriter writer;
  writer.Match(60, 100);  // spaces from the initial dictionary
  for (const char* p = "The quick brown fox"; *p; ++p) writer.Literal(static_cast<uint8_t>(*p));
  writer.Match(60, 0);
  writer.Match(59, 18);
  writer.Match(3, 4095);
  writer.Literal('!');
  writer.Match(60, 200);
  *expected = writer.Expected();
  return writer.Finish();
}

struct ItemCase {
  const char* Name;
  Bytes Item;
  Bytes Expected;
  int SourceCalls;  // in total, including the negative results
};

TEST(LzhufDecoder, DecodesItemsAlikeForEveryCapacityAndStopsCallingTheSourceAtTheEnd) {
  Bytes mixedExpected;
  Bytes mixed = MixedItem(&mixedExpected);
  const ItemCase cases[] = {
      {"empty source", {}, {0x74}, 2},
      {"one zero byte", {0x00}, {0x74}, 2},
      {"one 0xFF byte", {0xFF}, {0x72}, 3},
      {"three literals", {0xF6, 0xFB, 0xBD, 0xE0}, Repeat("abc", 1), 5},
      {"literal and overlapping match", {0xF6, 0xC9, 0x00, 0x00}, Repeat("a", 10), 5},
      {"literals and match at offset 2", {0xF6, 0xFB, 0xBD, 0xF2, 0x40, 0x20}, Repeat("abc", 4), 7},
      {"long matches", mixed, mixedExpected, static_cast<int>(mixed.size()) + 1},
  };
  for (const ItemCase& c : cases) {
    for (int32_t capacity : {1, 3, 60, 61, 256, 4096}) {
      SCOPED_TRACE(std::string(c.Name) + ", capacity " + std::to_string(capacity));
      DecodeTrace trace = TraceLzhuf(c.Item, capacity);
      EXPECT_EQ(trace.Bytes, c.Expected);
      // Full reads, then at most one short read, then 0 for good without further source calls.
      const size_t reads = trace.Counts.size();
      ASSERT_GE(reads, 3u);
      for (size_t i = 0; i + 3 < reads; ++i) EXPECT_EQ(trace.Counts[i], capacity) << "read " << i;
      EXPECT_GE(trace.Counts[reads - 3], 1);
      EXPECT_EQ(trace.Counts[reads - 2], 0);
      EXPECT_EQ(trace.Counts[reads - 1], 0);
      EXPECT_EQ(trace.CallsAfterRead[reads - 3], c.SourceCalls);
      EXPECT_EQ(trace.CallsAfterRead[reads - 1], c.SourceCalls);
    }
  }
}

TEST(LzhufDecoder, EmptySourceIsCalledTwiceInTheFirstRefill) {
  CountingSource source({});
  LzhufDecoder decoder;
  LzhufDecoderInit(&decoder, CountingSource::Next, &source);
  EXPECT_EQ(source.Calls, 0);  // nothing is read before the first read
  uint8_t out[4];
  ASSERT_EQ(LzhufDecoderRead(&decoder, out, 4), 1);
  EXPECT_EQ(source.Negatives, 2);
  EXPECT_EQ(decoder.BitCount, 8);  // 16 zero bits came in, the 8-bit code of 0x74 used half
}

TEST(LzhufDecoder, ZeroCapacityReadWritesAndConsumesNothing) {
  CountingSource source({0xF6, 0xFB, 0xBD, 0xE0});
  LzhufDecoder decoder;
  LzhufDecoderInit(&decoder, CountingSource::Next, &source);
  uint8_t out[8] = {0x55};
  EXPECT_EQ(LzhufDecoderRead(&decoder, out, 0), 0);
  EXPECT_EQ(LzhufDecoderRead(&decoder, out, -5), 0);
  EXPECT_EQ(source.Calls, 0);
  EXPECT_EQ(out[0], 0x55);
  ASSERT_EQ(LzhufDecoderRead(&decoder, out, 8), 3);
  EXPECT_EQ(Bytes(out, out + 3), Repeat("abc", 1));
}

TEST(LzhufDecoder, FirstSymbolMatchCopiesFromTheInitialDictionary) {
  struct Case {
    int Offset;
    int Length;
    Bytes Expected;
  };
  Bytes oneZeroThenSpaces(60, 0x20);
  oneZeroThenSpaces[0] = 0x00;
  Bytes fiveZerosFiveSpaces = {0, 0, 0, 0, 0, 0x20, 0x20, 0x20, 0x20, 0x20};
  const Case cases[] = {
      {0, 60, Bytes(60, 0x20)},    {2000, 7, Bytes(7, 0x20)},     {4035, 60, Bytes(60, 0x20)},
      {4095, 60, Bytes(60, 0x00)}, {4036, 60, oneZeroThenSpaces}, {4040, 10, fiveZerosFiveSpaces},
      {4064, 3, Bytes(3, 0x00)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("offset " + std::to_string(c.Offset) + " length " + std::to_string(c.Length));
    LzhufItemWriter writer;
    writer.Match(c.Length, c.Offset);
    ASSERT_EQ(writer.Expected(), c.Expected);  // the writer's own model agrees
    EXPECT_EQ(TraceLzhuf(writer.Finish(), 256).Bytes, c.Expected);
  }
}

// Matches of every length at distances from 1 (each copy repeats the bytes it has just written)
// to the ring size, with the ring full of varied bytes and the copies crossing the ring's end at
// different points. Each read must leave the caller's buffer alone past the count it returns.
TEST(LzhufDecoder, CopiesMatchesAlikeAtEveryDistanceAndAcrossTheRingEnd) {
  const int distances[] = {1,  2,   3,    4,    7,    8,    9,    15,  16,
                           17, 100, 4087, 4088, 4089, 4090, 4095, 4096};
  for (int lead : {0, 21, 52, 59}) {
    for (int distance : distances) {
      LzhufItemWriter writer;
      std::mt19937 random(static_cast<unsigned>(distance));
      for (int i = 0; i < kLzhufRingSize + lead; ++i) {
        writer.Literal(static_cast<uint8_t>(random()));
      }
      for (int length = kLzhufMinMatch; length <= kLzhufMaxMatch; ++length) {
        writer.Match(length, distance - 1);
      }
      writer.Match(kLzhufMaxMatch, kLzhufRingSize - 1);  // reads the oldest bytes of the ring
      CountingSource source(writer.Finish());
      for (int32_t capacity : {7, 256}) {
        SCOPED_TRACE("lead " + std::to_string(lead) + ", distance " + std::to_string(distance) +
                     ", capacity " + std::to_string(capacity));
        source.Memory.Position = 0;
        LzhufDecoder decoder;
        LzhufDecoderInit(&decoder, CountingSource::Next, &source);
        Bytes out;
        uint8_t buffer[256 + 16];
        for (int32_t n = 1; n > 0;) {
          memset(buffer, 0xA5, sizeof buffer);
          n = LzhufDecoderRead(&decoder, buffer, capacity);
          ASSERT_GE(n, 0);
          for (size_t i = static_cast<size_t>(n); i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], 0xA5);
          out.insert(out.end(), buffer, buffer + n);
        }
        ASSERT_EQ(out, writer.Expected());
      }
    }
  }
}

// The stream ends after the first symbol that takes a bit from the item's last byte: if that
// byte also holds the end of earlier symbols, the symbols after the first of them are lost.
TEST(LzhufDecoder, EndsWithTheFirstSymbolThatReachesTheLastByte) {
  int lostOne = 0, exact = 0;
  for (int count = 1; count <= 160; ++count) {
    LzhufItemWriter writer;
    for (int i = 0; i < count; ++i) writer.Literal('a');
    Bytes item = writer.Finish();
    const size_t lastByteStart = 8 * (item.size() - 1);
    size_t delivered = 0;
    while (writer.SymbolEnds()[delivered] < lastByteStart) ++delivered;
    ++delivered;
    if (delivered == static_cast<size_t>(count)) ++exact;
    if (delivered + 1 == static_cast<size_t>(count)) ++lostOne;
    SCOPED_TRACE(count);
    EXPECT_EQ(TraceLzhuf(item, 256).Bytes, Bytes(delivered, 'a'));
  }
  // Both outcomes occur: codes shrink to 1 bit as 'a' grows frequent.
  EXPECT_GT(exact, 0);
  EXPECT_GT(lostOne, 0);
}

TEST(LzhufDecoder, LosesTheFinalSymbolWhenTheLastByteAlsoEndsTheOneBefore) {
  // 'a' until its code is 1 bit long, then more 'a' until the 9-bit 'b' ends on the first bit
  // of a byte; the final 'a' then lies wholly in that last byte.
  LzhufItemWriter writer;
  while (LzhufItemWriter::CodeOf(writer.Tree(), 'a').size() > 1) writer.Literal('a');
  while ((writer.BitCount() + LzhufItemWriter::CodeOf(writer.Tree(), 'b').size()) % 8 != 1) {
    writer.Literal('a');
  }
  writer.Literal('b');
  writer.Literal('a');
  Bytes item = writer.Finish();
  const size_t lastByteStart = 8 * (item.size() - 1);
  const std::vector<size_t>& ends = writer.SymbolEnds();
  const size_t n = ends.size();
  ASSERT_EQ(ends[n - 2], lastByteStart);
  ASSERT_LT(ends[n - 3], lastByteStart);
  Bytes expected = writer.Expected();
  expected.pop_back();
  EXPECT_EQ(TraceLzhuf(item, 256).Bytes, expected);
}

// Checks the tree invariants that hold between symbols.
void ExpectTreeInvariants(const LzhufDecoder& d) {
  ASSERT_EQ(d.Weight[kLzhufTreeSize], 0xFFFFu);
  ASSERT_EQ(d.Parent[kLzhufRoot], 0);
  for (int p = 0; p + 1 < kLzhufTreeSize; ++p) ASSERT_LE(d.Weight[p], d.Weight[p + 1]) << p;
  for (int p = 0; p < kLzhufRoot; p += 2) ASSERT_EQ(d.Parent[p], d.Parent[p + 1]) << p;
  int leaves = 0;
  for (int p = 0; p < kLzhufTreeSize; ++p) {
    int32_t c = d.Child[p];
    if (c >= kLzhufTreeSize) {
      ASSERT_LT(c, kLzhufTreeSize + kLzhufSymbolCount) << p;
      ASSERT_EQ(d.Parent[c], p) << p;
      ++leaves;
    } else {
      ASSERT_EQ(c % 2, 0) << p;
      ASSERT_GT(p, c + 1) << p;
      ASSERT_EQ(d.Parent[c], p) << p;
      ASSERT_EQ(d.Weight[p], d.Weight[c] + d.Weight[c + 1]) << p;
    }
  }
  ASSERT_EQ(leaves, kLzhufSymbolCount);
}

TEST(LzhufTree, KeepsItsInvariantsThroughUpdatesAndRebuilds) {
  LzhufDecoder d;
  LzhufDecoderInit(&d, nullptr, nullptr);
  ExpectTreeInvariants(d);
  ASSERT_EQ(d.Weight[kLzhufRoot], 314u);
  // A skewed mix: a few frequent symbols, a tail of rare ones, phases that change the favourites.
  std::mt19937 random(7);
  std::geometric_distribution<int> skew(0.08);
  int rebuilds = 0;
  for (int i = 0; i < 120000; ++i) {
    int s = (skew(random) + (i / 20000) * 37) % kLzhufSymbolCount;
    uint32_t before = d.Weight[kLzhufRoot];
    LzhufUpdateTree(&d, s);
    bool rebuilt = d.Weight[kLzhufRoot] != before + 1;
    if (rebuilt) {
      ASSERT_EQ(before, static_cast<uint32_t>(kLzhufWeightLimit));
      ++rebuilds;
    }
    if (rebuilt || i % 997 == 0) {
      SCOPED_TRACE(i);
      ExpectTreeInvariants(d);
      if (HasFatalFailure()) return;
    }
  }
  EXPECT_GE(rebuilds, 4);
}

// The start tree gives symbols 116..313 8-bit codes and 0..115 9-bit codes, rising in that order
// from 00000000 (symbol 116) to 111111111 (symbol 115).
TEST(LzhufTree, StartTreeCodesRiseFromSymbol116To115) {
  LzhufDecoder d;
  LzhufDecoderInit(&d, nullptr, nullptr);
  std::vector<int> previous;
  for (int k = 0; k < kLzhufSymbolCount; ++k) {
    const int s = (116 + k) % kLzhufSymbolCount;
    const std::vector<int> code = LzhufItemWriter::CodeOf(d, s);
    ASSERT_EQ(code.size(), s >= 116 ? 8u : 9u) << s;
    ASSERT_LT(previous, code) << s;
    previous = code;
  }
  EXPECT_EQ(LzhufItemWriter::CodeOf(d, 116), std::vector<int>(8, 0));
  EXPECT_EQ(LzhufItemWriter::CodeOf(d, 115), std::vector<int>(9, 1));
}

TEST(LzhufTree, RootReachesTheLimitAfter32454SymbolsAndRebuildsOnlyInTheNextUpdate) {
  const int kBeforeLimit = kLzhufWeightLimit - 314;  // 32454
  ASSERT_EQ(kBeforeLimit, 32454);
  // Literals only, so each read of capacity 1 decodes exactly one symbol.
  LzhufItemWriter writer;
  std::mt19937 random(3);
  for (int i = 0; i < kBeforeLimit; ++i) writer.Literal(static_cast<uint8_t>(random() % 200));
  // The next symbol's code differs between the tree as it stands and the rebuilt tree.
  std::unique_ptr<LzhufDecoder> rebuilt(new LzhufDecoder(writer.Tree()));
  LzhufRebuildTree(rebuilt.get());
  int last = 0;
  while (LzhufItemWriter::CodeOf(writer.Tree(), last) == LzhufItemWriter::CodeOf(*rebuilt, last)) {
    ++last;
  }
  writer.Literal(static_cast<uint8_t>(last));
  writer.Literal('z');

  CountingSource source(writer.Finish());
  std::unique_ptr<LzhufDecoder> d(new LzhufDecoder);
  LzhufDecoderInit(d.get(), CountingSource::Next, &source);
  EXPECT_EQ(d->Weight[kLzhufRoot], 314u);
  Bytes out;
  uint8_t c;
  for (int i = 1; i <= kBeforeLimit; ++i) {
    ASSERT_EQ(LzhufDecoderRead(d.get(), &c, 1), 1);
    out.push_back(c);
    if (i % 5000 == 0) {
      ASSERT_EQ(d->Weight[kLzhufRoot], 314u + static_cast<uint32_t>(i));
    }
  }
  EXPECT_EQ(d->Weight[kLzhufRoot], static_cast<uint32_t>(kLzhufWeightLimit));
  ASSERT_EQ(LzhufDecoderRead(d.get(), &c, 1), 1);
  EXPECT_EQ(c, last);
  EXPECT_LT(d->Weight[kLzhufRoot], static_cast<uint32_t>(kLzhufWeightLimit));
  out.push_back(c);
  ASSERT_EQ(LzhufDecoderRead(d.get(), &c, 1), 1);
  out.push_back(c);
  EXPECT_EQ(out, writer.Expected());
}

TEST(LzhufTables, FollowTheCanonicalRunsOfTheUpperOffsetBits) {
  const int runs[][3] = {{0, 32, 3}, {1, 16, 4}, {4, 8, 5}, {12, 4, 6}, {24, 2, 7}, {48, 1, 8}};
  const int groupEnd[] = {1, 4, 12, 24, 48, 64};
  int index = 0;
  for (int g = 0; g < 6; ++g) {
    for (int u = runs[g][0]; u < groupEnd[g]; ++u) {
      for (int k = 0; k < runs[g][1]; ++k, ++index) {
        ASSERT_EQ(LzhufHighCode[index], u) << index;
        ASSERT_EQ(LzhufCodeLength[index], runs[g][2]) << index;
      }
    }
  }
  EXPECT_EQ(index, 256);
}

TEST(MemoryByteSource, HandsOutTheBytesThenMinusOneForever) {
  const uint8_t data[] = {0x00, 0x80, 0xFF};
  MemoryByteSourceContext source = {data, 0, 3};
  EXPECT_EQ(MemoryByteSource(&source), 0x00);
  EXPECT_EQ(MemoryByteSource(&source), 0x80);
  EXPECT_EQ(MemoryByteSource(&source), 0xFF);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(MemoryByteSource(&source), -1);
  EXPECT_EQ(source.Position, 3);
}

}  // namespace
