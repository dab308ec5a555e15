#include "payload/lzhuf_decoder.h"

#include <stdlib.h>
#include <string.h>

// Upper 6 offset bits by the next 8 input bits: u = 0 fills 32 entries, 1..3 16 each, 4..11 8 each,
// 12..23 4 each, 24..47 2 each and 48..63 one each.
const uint8_t LzhufHighCode[256] = {
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    0,  0,  0,  0,  0,  0,  0,  0,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,
    2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  3,  3,  3,  3,  3,  3,  3,  3,
    3,  3,  3,  3,  3,  3,  3,  3,  4,  4,  4,  4,  4,  4,  4,  4,  5,  5,  5,  5,  5,  5,  5,  5,
    6,  6,  6,  6,  6,  6,  6,  6,  7,  7,  7,  7,  7,  7,  7,  7,  8,  8,  8,  8,  8,  8,  8,  8,
    9,  9,  9,  9,  9,  9,  9,  9,  10, 10, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 11, 11, 11, 11,
    12, 12, 12, 12, 13, 13, 13, 13, 14, 14, 14, 14, 15, 15, 15, 15, 16, 16, 16, 16, 17, 17, 17, 17,
    18, 18, 18, 18, 19, 19, 19, 19, 20, 20, 20, 20, 21, 21, 21, 21, 22, 22, 22, 22, 23, 23, 23, 23,
    24, 24, 25, 25, 26, 26, 27, 27, 28, 28, 29, 29, 30, 30, 31, 31, 32, 32, 33, 33, 34, 34, 35, 35,
    36, 36, 37, 37, 38, 38, 39, 39, 40, 40, 41, 41, 42, 42, 43, 43, 44, 44, 45, 45, 46, 46, 47, 47,
    48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63};

// Length of the prefix code of each entry's upper value: 3, 4, 5, 6, 7 or 8 bits by group.
const uint8_t LzhufCodeLength[256] = {
    3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
    5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
    5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};

namespace {

const int32_t kTree = kLzhufTreeSize;  // Child values from here on denote leaves
const uint32_t kRingMask = kLzhufRingSize - 1;
const uint32_t kFastBits = kLzhufFastBits;

// The installer is built for size (-Os), the tools and benchmarks for speed: helpers on the hot
// path are inlined only in the latter, and only the latter takes the shortcuts that kShortcuts
// guards (8-byte match copies, fast-table upkeep by the kind of swap, a quick end for short
// runs of lighter nodes). Both give the same results; LZHUF_COMPACT selects the installer's
// way in any build, for its tests.
#if defined(__OPTIMIZE_SIZE__) || defined(LZHUF_COMPACT)
const bool kShortcuts = false;
#else
const bool kShortcuts = true;
#endif
#if defined(__GNUC__)
#define LZHUF_RARELY(condition) __builtin_expect(static_cast<long>(condition), 0)
#else
#define LZHUF_RARELY(condition) (condition)
#endif
#if defined(__GNUC__) && !defined(__OPTIMIZE_SIZE__)
#define LZHUF_COLD __attribute__((noinline))
#else
#define LZHUF_COLD
#endif
// LZHUF_ONCE: called from one place in the installer, so inlined there too.
#if defined(__OPTIMIZE_SIZE__) || !defined(__GNUC__)
#define LZHUF_ONCE inline
#else
#define LZHUF_ONCE inline __attribute__((always_inline))
#endif
#if defined(__OPTIMIZE_SIZE__) && defined(__GNUC__)
#define LZHUF_HOT __attribute__((noinline))
#elif defined(__GNUC__)
#define LZHUF_HOT inline __attribute__((always_inline))
#else
#define LZHUF_HOT inline
#endif

// Sets the depth and code bits of position x and of the positions below it down to depth 8,
// and the fast table entries of the codes that end there or reach depth 8. Further down it
// clears the depths that positions kept from before a subtree moved deeper; it stops at a
// position without one, below which there are none.
void PlaceFast(LzhufDecoder* d, int32_t x, uint32_t depth, uint32_t code) {
  const int32_t c = d->Child[x];
  if (depth > kFastBits) {
    if (d->FastDepth[x] == 0) return;
    d->FastDepth[x] = 0;
  } else {
    d->FastDepth[x] = static_cast<uint8_t>(depth);
    d->FastCode[x] = static_cast<uint8_t>(code);
    d->FastNode[1u << depth | code] = static_cast<int16_t>(x);
    if (c >= kTree || depth == kFastBits) {
      const uint32_t first = code << (kFastBits - depth);
      const uint32_t last = first + (1u << (kFastBits - depth));
      const uint16_t entry = static_cast<uint16_t>(static_cast<uint32_t>(c) | depth << 10);
      for (uint32_t e = first; e < last; ++e) d->FastEntry[e] = entry;
      if (c >= kTree || (d->FastDepth[c] | d->FastDepth[c + 1]) == 0) return;
    }
  }
  if (c < kTree) {
    PlaceFast(d, c, depth + 1, code << 1);
    PlaceFast(d, c + 1, depth + 1, code << 1 | 1);
  }
}

// Brings the fast table up to date after position p received a different subtree. Position p
// itself keeps its depth and code bits.
inline void ReplaceFast(LzhufDecoder* d, int32_t p) {
  const uint32_t depth = d->FastDepth[p];
  const int32_t c = d->Child[p];
  if (depth != 0) {
    const uint32_t code = d->FastCode[p];
    if (c < kTree && depth < kFastBits) {
      PlaceFast(d, c, depth + 1, code << 1);
      PlaceFast(d, c + 1, depth + 1, code << 1 | 1);
      return;
    }
    const uint32_t first = code << (kFastBits - depth);
    const uint32_t last = first + (1u << (kFastBits - depth));
    const uint16_t entry = static_cast<uint16_t>(static_cast<uint32_t>(c) | depth << 10);
    for (uint32_t e = first; e < last; ++e) d->FastEntry[e] = entry;
  }
  if (c < kTree && (d->FastDepth[c] | d->FastDepth[c + 1]) != 0) {
    PlaceFast(d, c, kFastBits + 1, 0);
    PlaceFast(d, c + 1, kFastBits + 1, 0);
  }
}

void RecodeBelow(LzhufDecoder* d, int32_t x, uint32_t depth, uint32_t code);

// Sets the code bits and the noted positions of the children of x (at depth 1..7, with the
// given code), and of everything below them down to depth 8, for a subtree that moved without
// changing its depth.
LZHUF_HOT void RecodeChildren(LzhufDecoder* d, int32_t x, uint32_t depth, uint32_t code) {
  const int32_t c = d->Child[x];
  if (c >= kTree) return;
  code <<= 1;
  ++depth;
  d->FastCode[c] = static_cast<uint8_t>(code);
  d->FastCode[c + 1] = static_cast<uint8_t>(code | 1);
  d->FastNode[1u << depth | code] = static_cast<int16_t>(c);
  d->FastNode[1u << depth | code | 1] = static_cast<int16_t>(c + 1);
  if (depth < kFastBits) RecodeBelow(d, c, depth, code);
}

// RecodeChildren for x and its sibling.
void RecodeBelow(LzhufDecoder* d, int32_t x, uint32_t depth, uint32_t code) {
  RecodeChildren(d, x, depth, code);
  RecodeChildren(d, x + 1, depth, code | 1);
}

// Brings the fast table up to date after the nodes at p and q, both at depth 1..7, traded
// their subtrees. Everything below them keeps its depth, so the table entries of the two
// codes' ranges trade places and the nodes below take the codes of their new place.
void TradeFastSubtrees(LzhufDecoder* d, int32_t p, int32_t q, uint32_t depth) {
  const uint32_t codeP = d->FastCode[p];
  const uint32_t codeQ = d->FastCode[q];
  uint16_t* const entryP = d->FastEntry + (codeP << (kFastBits - depth));
  uint16_t* const entryQ = d->FastEntry + (codeQ << (kFastBits - depth));
  for (uint32_t i = 0; i < 1u << (kFastBits - depth); ++i) {
    const uint16_t e = entryP[i];
    entryP[i] = entryQ[i];
    entryQ[i] = e;
  }
  RecodeChildren(d, p, depth, codeP);
  RecodeChildren(d, q, depth, codeQ);
}

// Brings the fast table up to date after the nodes at p and q, at least one of them at depth
// 1..8, traded their subtrees. Nearly always both are at the same depth.
LZHUF_COLD void FollowFast(LzhufDecoder* d, int32_t p, int32_t q) {
  const uint32_t depth = d->FastDepth[p];
  if (kShortcuts && depth == d->FastDepth[q] && depth < kFastBits) {
    TradeFastSubtrees(d, p, q, depth);
  } else {
    ReplaceFast(d, p);
    ReplaceFast(d, q);
  }
}

void RefreshFast(LzhufDecoder* d) {
  memset(d->FastDepth, 0, sizeof d->FastDepth);
  d->FastNode[1] = kLzhufRoot;
  const int32_t c = d->Child[kLzhufRoot];
  PlaceFast(d, c, 1, 0);
  PlaceFast(d, c + 1, 1, 1);
  d->FastStale = 0;
}

// Exchanges the node at p, whose weight has just risen to w, with the last node of the run of
// lighter nodes after it: the subtrees trade places, the positions keep their parents. Returns
// the node's new position. With trackFast, the fast table follows the trade.
LZHUF_HOT intptr_t Exchange(LzhufDecoder* d, intptr_t p, uint32_t w, bool trackFast) {
  uint32_t* const weight = d->Weight;
  int32_t* const parent = d->Parent;
  int32_t* const child = d->Child;
  // The run after p holds the weight w - 1; the sentinel in slot 627 ends it. Most runs have
  // one to three nodes. Weights rise with the position, so counting the lighter ones among the
  // next four finds a longer run's end without a branch per step.
  intptr_t q = p + 1;
  if (!kShortcuts || w > weight[q + 1]) {
    if (kShortcuts) {
      ++q;
      if (w > weight[q + 1]) ++q;
    }
    if (w > weight[q + 1] && q + 4 <= kTree) {
      intptr_t more;
      do {
        more =
            (w > weight[q + 1]) + (w > weight[q + 2]) + (w > weight[q + 3]) + (w > weight[q + 4]);
        q += more;
      } while (more == 4 && q + 4 <= kTree);
    }
    while (w > weight[q + 1]) ++q;
  }
  weight[p] = weight[q];
  weight[q] = w;
  const int32_t a = child[p];
  const int32_t b = child[q];
  child[q] = a;
  child[p] = b;
  // The children of an internal node come in pairs; a leaf has one entry.
  parent[a] = static_cast<int32_t>(q);
  parent[b] = static_cast<int32_t>(p);
  if (kShortcuts) {
    if (a < kTree) parent[a + 1] = static_cast<int32_t>(q);
    if (b < kTree) parent[b + 1] = static_cast<int32_t>(p);
  } else {
    parent[a + (a < kTree)] = static_cast<int32_t>(q);
    parent[b + (b < kTree)] = static_cast<int32_t>(p);
  }
  if (trackFast) {
    const uint32_t depthP = d->FastDepth[p];
    const uint32_t depthQ = d->FastDepth[q];
    if (kShortcuts && depthP == kFastBits && depthQ == kFastBits) {
      // Both at the table's last level (the most common case): each of the two entries names
      // its node's child, so they trade places; no code or depth changes.
      uint16_t* const entry = d->FastEntry;
      const uint16_t e = entry[d->FastCode[p]];
      entry[d->FastCode[p]] = entry[d->FastCode[q]];
      entry[d->FastCode[q]] = e;
    } else if (depthP | depthQ) {
      FollowFast(d, static_cast<int32_t>(p), static_cast<int32_t>(q));
    }
  }
  return q;
}

// Raises the weight of the node at p and of each node above it, keeping the weights ordered by
// position: a node that would outweigh its successor is first exchanged.
void IncrementFrom(LzhufDecoder* d, intptr_t p) {
  uint32_t* const weight = d->Weight;
  const int32_t* const parent = d->Parent;
  do {
    const uint32_t w = weight[p] + 1;
    weight[p] = w;
    if (w > weight[p + 1]) p = Exchange(d, p, w, false);
    p = parent[p];
  } while (p != 0);
}

}  // namespace

// The start tree is what the rebuild makes of the 314 leaves in symbol order, each of weight 1
// (which halving keeps): the leaves first, since every joined pair weighs 2, then the joined
// pairs in turn, each over the next two positions.
void LzhufInitTree(LzhufDecoder* d) {
  for (int i = 0; i < kTree; ++i) {
    d->Weight[i] = 1;
    d->Child[i] = kTree + i;
  }
  for (int i = kLzhufSymbolCount; i < kTree; ++i) d->Child[i] = 0;
  d->Weight[kTree] = kLzhufWeightSentinel;
  d->Parent[kLzhufRoot] = 0;
  LzhufRebuildTree(d);
}

void LzhufRebuildTree(LzhufDecoder* d) {
  d->FastStale = 1;
  // Gather the leaves in their order, halving their weights upward.
  uint32_t leafWeight[kLzhufSymbolCount];
  int32_t leafChild[kLzhufSymbolCount];
  int leaves = 0;
  for (int i = 0; i < kTree; ++i) {
    if (d->Child[i] >= kTree) {
      leafWeight[leaves] = (d->Weight[i] + 1) / 2;
      leafChild[leaves] = d->Child[i];
      ++leaves;
    }
  }
  // Internal node m joins positions 2m and 2m + 1 and is placed after every node of equal
  // weight placed before it, leaves included, as if inserted into the row of the gathered
  // leaves. Both its children lie below it, the leaves are in order and each internal node
  // weighs no less than the one before it, so the row is the merge of the leaves with the
  // internal nodes in the order they are made, a leaf first where weights are equal.
  int leaf = 0;
  int internal = 0;
  for (int j = 0; j < kTree; ++j) {
    const int first = 2 * internal;
    const bool joinable = first + 1 < j;
    const uint32_t joined = joinable ? d->Weight[first] + d->Weight[first + 1] : 0;
    if (leaf < kLzhufSymbolCount && (!joinable || leafWeight[leaf] <= joined)) {
      d->Weight[j] = leafWeight[leaf];
      d->Child[j] = leafChild[leaf];
      ++leaf;
    } else {
      d->Weight[j] = joined;
      d->Child[j] = first;
      ++internal;
    }
  }
  for (int i = 0; i < kTree; ++i) {
    int32_t k = d->Child[i];
    if (k >= kTree) {
      d->Parent[k] = i;
    } else {
      d->Parent[k] = d->Parent[k + 1] = i;
    }
  }
}

void LzhufUpdateTree(LzhufDecoder* d, int symbol) {
  if (d->Weight[kLzhufRoot] == kLzhufWeightLimit) LzhufRebuildTree(d);
  IncrementFrom(d, d->Parent[kTree + symbol]);
  d->FastStale = 1;
}

void LzhufDecoderInit(LzhufDecoder* d, ByteSource sourceFunction, void* sourceContext) {
  memset(d, 0, sizeof *d);
  LzhufInitTree(d);
  memset(d->Ring, ' ', kLzhufInitialWritePos);
  d->WritePos = kLzhufInitialWritePos;
  d->Phase = kLzhufDecodeSymbol;
  d->SourceFunction = sourceFunction;
  d->SourceContext = sourceContext;
}

LzhufDecoder* LzhufDecoderCreate(ByteSource sourceFunction, void* sourceContext) {
  LzhufDecoder* d = static_cast<LzhufDecoder*>(malloc(sizeof(LzhufDecoder)));
  if (d) LzhufDecoderInit(d, sourceFunction, sourceContext);
  return d;
}

void LzhufDecoderDestroy(LzhufDecoder* d) { free(d); }

// The bit reader works on local copies of BitBuffer and BitCount: `bits` holds the pending bits
// left-aligned (the next bit is bit 31), so BitBuffer == bits >> 16 between calls. Taking the
// bits one at a time, a byte is fetched whenever 8 or fewer bits are pending before a bit is
// taken. Where several bits are taken at once, the bytes that this rule would fetch during them
// are fetched first: the same bytes, within the same symbol. A negative source result marks
// the end and counts as a zero byte.
namespace {

// Returns the pending bits (count of them) with the next source byte below them. At the end
// of the source, also sets *stop to out, the output position of the symbol in hand, so that the
// read ends after that symbol.
LZHUF_HOT uint32_t Fetch(LzhufDecoder* d, uint32_t bits, int32_t spare, uint8_t** stop,
                         uint8_t* out) {
  int value = d->SourceFunction(d->SourceContext);
  if (value < 0) {
    d->SourceEnded = 1;
    *stop = out;
    value = 0;
  }
  return bits | static_cast<uint32_t>(value & 0xFF) << (16 - spare);
}

// Copies size bytes of a match from ring position `from` on to ring position writePos on and to
// out, as byte after byte would.
LZHUF_ONCE void CopyMatch(uint8_t* ring, uint8_t* out, uint32_t from, uint32_t writePos,
                          uint32_t size) {
  if (!kShortcuts || from + size > kLzhufRingSize || writePos + size > kLzhufRingSize) {
    // Byte after byte, across the ring's end if need be.
    for (uint32_t i = 0; i < size; ++i) {
      out[i] = ring[writePos] = ring[from++ & kRingMask];
      writePos = (writePos + 1) & kRingMask;
    }
  } else if (((writePos - from - 8) & kRingMask) <= kLzhufRingSize - 16) {
    // The source lies 8 to 4088 bytes back: no byte of a piece of 8 (or 4) is read after this
    // match has written it, and no piece reads bytes of the dictionary's far end that an
    // earlier piece has overwritten. The last piece ends with the match and may cover bytes
    // copied already, with the same values. Nothing is written past the match: beyond it lie
    // the oldest dictionary bytes and the part of the caller's buffer this read does not fill.
    uint8_t* const source = ring + from;
    uint8_t* const target = ring + writePos;
    if (size >= 8) {
      uint64_t piece;
      for (uint32_t i = 0; i + 8 <= size; i += 8) {
        memcpy(&piece, source + i, 8);
        memcpy(target + i, &piece, 8);
        memcpy(out + i, &piece, 8);
      }
      memcpy(&piece, source + size - 8, 8);
      memcpy(target + size - 8, &piece, 8);
      memcpy(out + size - 8, &piece, 8);
    } else if (size >= 4) {
      uint32_t head, tail;
      memcpy(&head, source, 4);
      memcpy(&tail, source + size - 4, 4);
      memcpy(target, &head, 4);
      memcpy(target + size - 4, &tail, 4);
      memcpy(out, &head, 4);
      memcpy(out + size - 4, &tail, 4);
    } else {
      for (uint32_t i = 0; i < size; ++i) out[i] = target[i] = source[i];
    }
  } else {
    // Byte after byte, so that a copy closer than its length repeats the bytes just written.
    for (uint32_t i = 0; i < size; ++i) out[i] = ring[writePos + i] = ring[from + i];
  }
}

}  // namespace

// Makes the next `taken` bits available, fetching as taking them one at a time would.
#define LZHUF_NEED(taken)                                     \
  while (LZHUF_RARELY(spare < static_cast<int32_t>(taken))) { \
    bits = Fetch(d, bits, spare, &stop, out);                 \
    spare += 8;                                               \
  }

// Few values stay in locals (they must survive the calls of the source); the rest of the state
// lives in the record.
int32_t LzhufDecoderRead(LzhufDecoder* d, uint8_t* buffer, int32_t capacity) {
  if (d->SourceEnded && d->MatchDone >= d->MatchLength) return 0;
  // A read into no room at all would still decode a symbol and write its byte.
  if (capacity < 1) return 0;

  uint32_t bits = static_cast<uint32_t>(d->BitBuffer) << 16;
  int32_t spare = d->BitCount - 8;  // pending bits beyond the 8 that every look-up needs
  uint32_t writePos = static_cast<uint32_t>(d->WritePos);
  uint8_t* out = buffer;
  uint8_t* const end = buffer + capacity;
  // The read ends once out reaches stop: at the end of the buffer, or after the symbol during
  // which the source ended.
  uint8_t* stop = end;
  // The match being copied: ring position of its first byte, length, bytes delivered.
  uint32_t from;
  int32_t length;
  int32_t done;

  if (kShortcuts && LZHUF_RARELY(d->FastStale)) RefreshFast(d);
  if (d->Phase == kLzhufCopyMatch) {
    // The rest of a match, or nothing if it is complete; the last one if the source has ended.
    if (d->SourceEnded) stop = out;
    d->Phase = kLzhufDecodeSymbol;
    from = static_cast<uint32_t>(d->MatchSource);
    length = d->MatchLength;
    done = d->MatchDone;
    goto copy;
  }
  // Every symbol leaves at least 8 bits pending; only before the first one are there none.
  if (LZHUF_RARELY(spare < 0)) LZHUF_NEED(1);
  for (;;) {
    {
      if (!kShortcuts && LZHUF_RARELY(d->FastStale)) RefreshFast(d);
      // The first up to 8 code bits by one look-up, any further ones bit by bit. At least 8
      // bits are pending here, enough for the look-up.
      const uint32_t top = bits >> (32 - kFastBits);
      const uint32_t entry = d->FastEntry[top];
      if (spare < static_cast<int32_t>(entry >> 10)) {
        // One byte more, fetched before the bits are taken; it lands below the 8 looked at.
        bits = Fetch(d, bits, spare, &stop, out);
        spare += 8;
      }
      const uint32_t used = entry >> 10;
      intptr_t v = entry & 0x3FF;
      bits <<= used;
      spare -= static_cast<int32_t>(used);
      // The path in heap order: node h's parent is h / 2, the root is 1.
      uintptr_t h = (top | 1u << kFastBits) >> (kFastBits - used);
      int32_t deep[kTree];  // positions below depth 8
      int32_t deepCount = 0;
      if (LZHUF_RARELY(v < kTree)) {
        do {
          LZHUF_NEED(1);
          const intptr_t p = v + static_cast<intptr_t>(bits >> 31);
          bits <<= 1;
          --spare;
          deep[deepCount++] = static_cast<int32_t>(p);
          v = d->Child[p];
        } while (v < kTree);
      }
      const int32_t symbol = static_cast<int32_t>(v) - kTree;

      // The update, upward from the leaf: positions below depth 8 as noted on the way down or
      // found through Parent, the others from the heap order, so that no step waits for a
      // Parent look-up unless a node below depth 8 is exchanged.
      uint32_t* const weight = d->Weight;
      if (LZHUF_RARELY(weight[kLzhufRoot] == kLzhufWeightLimit)) {
        LzhufRebuildTree(d);
        IncrementFrom(d, d->Parent[v]);
        if (kShortcuts) RefreshFast(d);
      } else {
        intptr_t p = 0;
        uint32_t w;
        if (LZHUF_RARELY(deepCount != 0)) {
          do {
            uint32_t* const node = weight + deep[--deepCount];
            w = *node + 1;
            *node = w;
            if (LZHUF_RARELY(w > node[1])) {
              p = node - weight;
              goto exchange;
            }
          } while (deepCount > 0);
        }
      upper:
        // Up to the root (h == 1), which never outweighs the sentinel after it.
        do {
          uint32_t* const node = weight + d->FastNode[h];
          const uint32_t old = node[0];
          if (LZHUF_RARELY(old == node[1]))
            goto exchangeUpper;  // weights never pass their successor
          node[0] = old + 1;
        } while (h >>= 1);
        goto updated;
      exchangeUpper:
        // Found again rather than kept, which keeps the loop above short.
        p = d->FastNode[h];
        w = weight[p] + 1;
      exchange:
        p = Exchange(d, p, w, true);
        while (d->FastDepth[p] == 0) {
          p = d->Parent[p];
          w = weight[p] + 1;
          weight[p] = w;
          if (LZHUF_RARELY(w > weight[p + 1])) goto exchange;
        }
        h = (1u << d->FastDepth[p] | d->FastCode[p]) >> 1;
        goto upper;
      }
    updated:

      if (symbol < 256) {
        const uint8_t c = static_cast<uint8_t>(symbol);
        *out++ = c;
        d->Ring[writePos] = c;
        writePos = (writePos + 1) & kRingMask;
        if (out >= stop) break;
        continue;
      }

      // The offset field: a prefix code of 3..8 bits for the upper 6 offset bits, then the
      // lower 6 bits; its first 8 bits, pending already, tell its length.
      const uint32_t head = bits >> 24;
      const uint32_t fieldBits = LzhufCodeLength[head] + 6u;
      LZHUF_NEED(fieldBits);
      const uint32_t field = bits >> (32 - fieldBits);
      bits <<= fieldBits;
      spare -= static_cast<int32_t>(fieldBits);
      const uint32_t offset = static_cast<uint32_t>(LzhufHighCode[head]) << 6 | (field & 63);
      from = (writePos - offset - 1) & kRingMask;
      length = LzhufMatchLength(symbol);
      d->MatchSource = static_cast<int32_t>(from);
      d->MatchLength = length;
      if (kShortcuts) {
        // As below, for a match that starts here; kept apart for the speed build.
        int32_t k = length;
        if (k > end - out) k = static_cast<int32_t>(end - out);
        d->MatchDone = k;
        CopyMatch(d->Ring, out, from, writePos, static_cast<uint32_t>(k));
        out += k;
        writePos = (writePos + static_cast<uint32_t>(k)) & kRingMask;
        if (k < length || out >= stop) {
          d->Phase = kLzhufCopyMatch;
          break;
        }
        continue;
      }
      done = 0;
    }
  copy:
    int32_t k = length - done;
    if (k > end - out) k = static_cast<int32_t>(end - out);
    CopyMatch(d->Ring, out, (from + static_cast<uint32_t>(done)) & kRingMask, writePos,
              static_cast<uint32_t>(k));
    d->MatchDone = done + k;
    out += k;
    writePos = (writePos + static_cast<uint32_t>(k)) & kRingMask;
    // A read that ends with a match leaves the phase at copying, even when the match is
    // complete; the next read then finds nothing left to copy.
    if (done + k < length || out >= stop) {
      d->Phase = kLzhufCopyMatch;
      break;
    }
  }

  d->BitBuffer = bits >> 16;
  d->BitCount = static_cast<uint8_t>(spare + 8);
  d->WritePos = static_cast<int32_t>(writePos);
  return static_cast<int32_t>(out - buffer);
}
