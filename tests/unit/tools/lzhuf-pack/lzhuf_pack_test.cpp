#include "tools/lzhuf-pack/lzhuf_encoder.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/tools/lzhuf-pack/pack_test_support.h"
#include "tools/lzhuf-pack/lzhuf_emit.h"
#include "tools/lzhuf-pack/lzhuf_match_window.h"
#include "tools/lzhuf-pack/lzhuf_parse.h"

namespace {

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Words with spaces and line breaks, like a licence or a word list.
Bytes Text(size_t size, std::mt19937* rng) {
  static const char* const kWords[] = {"the",     "program",  "of",     "and",  "to",
                                       "license", "software", "you",    "any",  "copy",
                                       "GNU",     "free",     "source", "code", "work"};
  Bytes out;
  while (out.size() < size) {
    const char* word = kWords[(*rng)() % 15];
    out.insert(out.end(), word, word + strlen(word));
    out.push_back((*rng)() % 9 == 0 ? '\n' : ' ');
  }
  out.resize(size);
  return out;
}

// Random bytes mixed with altered copies of earlier stretches, like an executable.
Bytes Binary(size_t size, std::mt19937* rng) {
  Bytes out;
  while (out.size() < size) {
    if (out.size() > 64 && (*rng)() % 2 == 0) {
      size_t length = 3 + (*rng)() % 70;
      size_t distance = 1 + (*rng)() % std::min<size_t>(out.size(), 5000);
      size_t from = out.size() - distance;
      for (size_t k = 0; k < length; ++k) out.push_back(out[from + k]);
      if ((*rng)() % 3 == 0) out.back() = static_cast<uint8_t>((*rng)());
    } else {
      for (size_t n = 1 + (*rng)() % 12; n > 0; --n) out.push_back(static_cast<uint8_t>((*rng)()));
    }
  }
  out.resize(size);
  return out;
}

Bytes Uniform(size_t size, std::mt19937* rng) {
  Bytes out(size);
  for (uint8_t& c : out) c = static_cast<uint8_t>((*rng)());
  return out;
}

// Every byte value, in a new random order each round.
Bytes AllByteValues(int rounds, std::mt19937* rng) {
  Bytes out;
  for (int r = 0; r < rounds; ++r) {
    Bytes round(256);
    for (int v = 0; v < 256; ++v) round[static_cast<size_t>(v)] = static_cast<uint8_t>(v);
    std::shuffle(round.begin(), round.end(), *rng);
    out.insert(out.end(), round.begin(), round.end());
  }
  return out;
}

// Small inputs of several kinds, where the parse near the end has few alternatives.
Bytes SmallInput(size_t size, int kind, std::mt19937* rng) {
  Bytes out(size);
  for (uint8_t& c : out) {
    unsigned r = static_cast<unsigned>((*rng)());
    switch (kind) {
      case 0:
        c = static_cast<uint8_t>(r);
        break;
      case 1:
        c = r % 4 == 0 ? static_cast<uint8_t>(r >> 8) : 'a';
        break;
      case 2:
        c = static_cast<uint8_t>("abcdefgh"[r % 8]);
        break;
      default:
        c = static_cast<uint8_t>(r % 64 < 32 ? 'e' : r % 64 < 48 ? 't' : r >> 8);
        break;
    }
  }
  return out;
}

struct Packed {
  bool Ok[2];
  Bytes Item[2];
  LzhufEncodeStats Stats[2];
};

// Packs data with both parses. Each item must decode to data, and the default one must not be
// larger than the greedy one. A parse that yields no item must have no valid item at all, which
// the enumeration of every parse confirms for small inputs (larger ones must always pack).
Packed CheckPacks(const Bytes& data) {
  Packed packed;
  const LzhufParse parses[2] = {LzhufParse::Greedy, LzhufParse::Default};
  for (int p = 0; p < 2; ++p) {
    SCOPED_TRACE(p == 0 ? "greedy" : "default");
    packed.Ok[p] =
        LzhufEncode(data.data(), data.size(), parses[p], &packed.Item[p], &packed.Stats[p]);
    if (packed.Ok[p]) {
      EXPECT_EQ(DecodeItem(packed.Item[p]), data);
    } else {
      EXPECT_TRUE(packed.Item[p].empty());
      EXPECT_LE(data.size(), 300u) << "a larger input failed to pack";
      if (data.size() <= 300u) {
        EXPECT_EQ(ParseEnumerator(data, 100000).Run(), Verdict::None)
            << "the packer failed on an input that has a valid item";
      }
    }
  }
  EXPECT_EQ(packed.Ok[0], packed.Ok[1]);
  if (packed.Ok[0] && packed.Ok[1]) {
    EXPECT_LE(packed.Item[1].size(), packed.Item[0].size());
  }
  return packed;
}

TEST(LzhufPack, GreedyWritesThePublishedItems) {
  const struct {
    std::string Text;
    Bytes Item;
  } cases[] = {
      {"abc", {0xF6, 0xFB, 0xBD, 0xE0}},
      {"aaaaaaaaaa", {0xF6, 0xC9, 0x00, 0x00}},
      {"abcabcabcabc", {0xF6, 0xFB, 0xBD, 0xF2, 0x40, 0x20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    Bytes item;
    ASSERT_TRUE(LzhufEncode(reinterpret_cast<const uint8_t*>(c.Text.data()), c.Text.size(),
                            LzhufParse::Greedy, &item));
    EXPECT_EQ(item, c.Item);
    CheckPacks(FromText(c.Text));
  }
}

TEST(LzhufPack, RoundTripsEveryLengthUpTo300) {
  std::mt19937 rng(300);
  Bytes sample = FromText("Pagix 0.9d  ");
  Bytes text = Text(120, &rng);
  Bytes binary = Binary(120, &rng);
  sample.insert(sample.end(), text.begin(), text.end());
  sample.insert(sample.end(), 20, 0x00);
  sample.insert(sample.end(), binary.begin(), binary.end());
  sample.resize(300, 'z');
  int packedCount = 0;
  for (size_t n = 1; n <= sample.size(); ++n) {
    SCOPED_TRACE("length " + std::to_string(n));
    Packed packed = CheckPacks(Bytes(sample.begin(), sample.begin() + static_cast<long>(n)));
    if (packed.Ok[1]) ++packedCount;
  }
  EXPECT_GE(packedCount, 290);
}

TEST(LzhufPack, RoundTripsLargerInputsOfEveryKind) {
  std::mt19937 rng(2024);
  const struct {
    const char* Name;
    Bytes Data;
    long MinRebuilds;
  } cases[] = {
      {"text", Text(120000, &rng), 0},
      {"binary", Binary(100000, &rng), 0},
      {"run of one byte", Bytes(50001, 'x'), 0},
      {"spaces, as in the initial dictionary", Bytes(9000, ' '), 0},
      {"zero bytes", Bytes(7000, 0), 0},
      {"all byte values", AllByteValues(40, &rng), 0},
      {"random size, text", Text(1 + rng() % 200000, &rng), 0},
      {"random size, binary", Binary(1 + rng() % 200000, &rng), 0},
      // Literals only: the tree is rebuilt every 32454 symbols.
      {"uniform bytes, many rebuilds", Uniform(200000, &rng), 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Packed packed = CheckPacks(c.Data);
    EXPECT_TRUE(packed.Ok[0] && packed.Ok[1]);
    EXPECT_GE(packed.Stats[1].Rebuilds, c.MinRebuilds);
  }
}

// Symbol frequencies that follow the Fibonacci numbers make the tree as deep as its weight limit
// allows; a byte seen for the first time after them gets a code of more than 16 bits.
TEST(LzhufPack, WritesCodesLongerThan16Bits) {
  Bytes data;
  long previous = 144, current = 233;  // Fibonacci numbers 12 and 13
  for (int k = 0; k < 9; ++k) {
    data.insert(data.end(), static_cast<size_t>(current), static_cast<uint8_t>('A' + k));
    long next = previous + current;
    previous = current;
    current = next;
  }
  std::mt19937 rng(13);
  std::shuffle(data.begin(), data.end(), rng);
  data.push_back(0x01);

  // As literals only, the last code is long; the item must still decode.
  std::unique_ptr<LzhufDecoder> tree(new LzhufDecoder);
  LzhufDecoderInit(tree.get(), nullptr, nullptr);
  for (size_t k = 0; k + 1 < data.size(); ++k) LzhufUpdateTree(tree.get(), data[k]);
  int lastCode = 0;
  for (int p = tree->Parent[kLzhufTreeSize + 1]; p != kLzhufRoot; p = tree->Parent[p]) ++lastCode;
  EXPECT_GT(lastCode, 16);
  Bytes window = lzhuf_pack::MakeWindow(data.data(), data.size());
  std::vector<lzhuf_pack::Token> literals(data.size(), lzhuf_pack::Token{1, 0});
  Bytes item;
  ASSERT_TRUE(lzhuf_pack::EmitItem(window.data(), data.size(), &literals, &item));
  EXPECT_EQ(DecodeItem(item), data);

  CheckPacks(data);
}

// Small inputs leave the parse near the end few alternatives, so the final symbol often starts
// in a byte that the one before it ends in. The packer must find another parse of the end
// whenever one exists.
TEST(LzhufPack, SmallInputsMeetTheEndConditionWheneverAnyParseCan) {
  std::mt19937 rng(77);
  int failures = 0;
  int reparsed = 0;  // packed although the greedy parse, written as it is, would lose its end
  for (int t = 0; t < 1500; ++t) {
    Bytes data = SmallInput(1 + rng() % 40, t % 4, &rng);
    SCOPED_TRACE("input " + std::to_string(t));
    Packed packed = CheckPacks(data);
    if (!packed.Ok[1]) ++failures;
    if (HasFailure()) break;

    Bytes window = lzhuf_pack::MakeWindow(data.data(), data.size());
    std::vector<lzhuf_pack::Token> tokens;
    lzhuf_pack::ParseGreedy(window.data(), data.size(), &tokens);
    std::vector<Step> steps;
    for (lzhuf_pack::Token token : tokens) steps.push_back(Step{token.Length, token.Distance});
    if (packed.Ok[0] && DecodeItem(WriteParse(data, steps)) != data) ++reparsed;
  }
  EXPECT_LT(failures, 100);
  EXPECT_GT(reparsed, 50);
}

// A final match always meets the end condition, so an input whose last bytes occur earlier must
// always pack, however its end would be parsed otherwise.
TEST(LzhufPack, InputsEndingInARepeatAlwaysPack) {
  std::mt19937 rng(5);
  for (int t = 0; t < 400; ++t) {
    Bytes data = SmallInput(4 + rng() % 300, t % 4, &rng);
    size_t length = 3 + rng() % 8;
    size_t from = rng() % (data.size() - 3);
    for (size_t k = 0; k < length; ++k) data.push_back(data[from + k]);
    SCOPED_TRACE("input " + std::to_string(t));
    Packed packed = CheckPacks(data);
    EXPECT_TRUE(packed.Ok[0] && packed.Ok[1]);
    if (HasFailure()) break;
  }
}

TEST(LzhufPack, RefusesInputsWithoutAnItem) {
  // "eee" can only be three literals; the third one's code ends in the byte where the second
  // one's does, so the decoder would stop after two bytes.
  Bytes eee = FromText("eee");
  EXPECT_EQ(ParseEnumerator(eee, 1000).Run(), Verdict::None);
  Bytes item = {1, 2, 3};
  EXPECT_FALSE(LzhufEncode(eee.data(), eee.size(), LzhufParse::Greedy, &item));
  EXPECT_TRUE(item.empty());
  EXPECT_FALSE(LzhufEncode(eee.data(), eee.size(), LzhufParse::Default, &item));
  EXPECT_FALSE(LzhufEncode(eee.data(), 0, LzhufParse::Default, &item));
  EXPECT_TRUE(item.empty());
}

}  // namespace
