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

// The bit reader. BitBuffer holds BitCount pending bits, the next one in bit 15 and the others
// below it; the bits above carry no meaning. Before bits are taken, while 8 or fewer are
// pending, the next source byte goes in below them, so the reader runs up to two bytes ahead.

// The next source byte. A negative result marks the end and counts as a zero byte; the source
// is called again for every later byte.
uint32_t LzhufFetch(LzhufDecoder* d) {
  const int value = d->SourceFunction(d->SourceContext);
  if (value >= 0) return static_cast<uint32_t>(value);
  d->SourceEnded = 1;
  return 0;
}

void LzhufRefill(LzhufDecoder* d) {
  while (d->BitCount <= 8) {
    d->BitBuffer |= LzhufFetch(d) << (8 - d->BitCount);
    d->BitCount = static_cast<uint8_t>(d->BitCount + 8);
  }
}

uint32_t LzhufTakeBit(LzhufDecoder* d) {
  LzhufRefill(d);
  const uint32_t bit = d->BitBuffer >> 15 & 1;
  d->BitBuffer <<= 1;
  --d->BitCount;
  return bit;
}

uint32_t LzhufTakeByte(LzhufDecoder* d) {
  LzhufRefill(d);
  const uint32_t byte = d->BitBuffer >> 8 & 0xFF;
  d->BitBuffer <<= 8;
  d->BitCount = static_cast<uint8_t>(d->BitCount - 8);
  return byte;
}

// Walks from the root to a leaf, one bit per step, and updates the tree with the symbol found.
// The walk takes its bits as LzhufTakeBit does, from copies of BitBuffer (aligned to bit 31)
// and BitCount in locals: it is where the decoder spends most of its time.
int LzhufDecodeSymbol(LzhufDecoder* d) {
  uint32_t bits = d->BitBuffer << 16;
  uint32_t count = d->BitCount;
  intptr_t p = d->Child[kLzhufRoot];
  do {
    if (count <= 8) {
      bits |= LzhufFetch(d) << (24 - count);
      count += 8;
      continue;
    }
    p = d->Child[p + static_cast<intptr_t>(bits >> 31)];
    bits <<= 1;
    --count;
  } while (p < kTree);
  d->BitBuffer = bits >> 16;
  d->BitCount = static_cast<uint8_t>(count);
  const int symbol = static_cast<int>(p) - kTree;
  LzhufUpdateTree(d, symbol);
  return symbol;
}

// Exchanges the node at p, whose weight has just risen to w, with the last node of the run of
// lighter nodes after it (the sentinel in slot 627 ends every run): the subtrees trade places,
// the positions keep their parents. Returns the node's new position.
intptr_t LzhufExchange(LzhufDecoder* d, intptr_t p, uint32_t w) {
  intptr_t q = p + 1;
  while (d->Weight[q + 1] < w) ++q;
  d->Weight[p] = d->Weight[q];
  d->Weight[q] = w;
  const int32_t a = d->Child[p];
  const int32_t b = d->Child[q];
  d->Child[p] = b;
  d->Child[q] = a;
  // An internal node's children come in pairs; a leaf has one Parent entry.
  d->Parent[a] = static_cast<int32_t>(q);
  if (a < kTree) d->Parent[a + 1] = static_cast<int32_t>(q);
  d->Parent[b] = static_cast<int32_t>(p);
  if (b < kTree) d->Parent[b + 1] = static_cast<int32_t>(p);
  return q;
}

// The offset field after a match symbol: a prefix code of 3..8 bits for the upper 6 offset
// bits, then the lower 6 bits; its first 8 bits tell the code's length. Starts the match copy.
void LzhufReadMatchOffset(LzhufDecoder* d, int symbol) {
  uint32_t field = LzhufTakeByte(d);
  const uint32_t upper = LzhufHighCode[field];
  for (int more = LzhufCodeLength[field] - 2; more > 0; --more) {
    field = field << 1 | LzhufTakeBit(d);
  }
  const uint32_t offset = upper << 6 | (field & 63);
  const uint32_t writePos = static_cast<uint32_t>(d->WritePos);
  d->MatchSource = static_cast<int32_t>((writePos - offset - 1) & kRingMask);
  d->MatchLength = LzhufMatchLength(symbol);
  d->MatchDone = 0;
  d->Phase = kLzhufCopyMatch;
}

// Copies the rest of the current match to out, as far as room allows, byte after byte through
// the ring, so that a match closer than its length repeats the bytes it has just written.
// Returns the number of bytes copied.
int32_t LzhufCopyMatch(LzhufDecoder* d, uint8_t* out, int32_t room) {
  const int32_t left = d->MatchLength - d->MatchDone;
  const int32_t count = left < room ? left : room;
  uint32_t from = static_cast<uint32_t>(d->MatchSource + d->MatchDone);
  uint32_t to = static_cast<uint32_t>(d->WritePos);
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t c = d->Ring[from++ & kRingMask];
    d->Ring[to] = c;
    to = (to + 1) & kRingMask;
    out[i] = c;
  }
  d->MatchDone += count;
  d->WritePos = static_cast<int32_t>(to);
  return count;
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

// Raises the weight of the symbol's leaf and of each node above it, keeping the weights ordered
// by position: a node that would outweigh its successor is first exchanged.
void LzhufUpdateTree(LzhufDecoder* d, int symbol) {
  if (d->Weight[kLzhufRoot] == kLzhufWeightLimit) LzhufRebuildTree(d);
  intptr_t p = d->Parent[kTree + symbol];
  do {
    const uint32_t w = d->Weight[p] + 1;
    if (w > d->Weight[p + 1]) {
      p = LzhufExchange(d, p, w);
    } else {
      d->Weight[p] = w;
    }
    p = d->Parent[p];
  } while (p != 0);
}

void LzhufRebuildTree(LzhufDecoder* d) {
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
    const int32_t k = d->Child[i];
    d->Parent[k] = i;
    if (k < kTree) d->Parent[k + 1] = i;
  }
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

int32_t LzhufDecoderRead(LzhufDecoder* d, uint8_t* buffer, int32_t capacity) {
  if (d->SourceEnded && d->MatchDone >= d->MatchLength) return 0;
  // A read into no room at all would still decode a symbol and write its byte.
  if (capacity < 1) return 0;
  int32_t n = 0;
  for (;;) {
    if (d->Phase == kLzhufCopyMatch) {
      n += LzhufCopyMatch(d, buffer + n, capacity - n);
      // A read that ends with a match leaves the phase at copying, even when the match is
      // complete; the next read then finds nothing left to copy.
      if (n == capacity || d->SourceEnded) return n;
      d->Phase = kLzhufDecodeSymbol;
    } else {
      const int symbol = LzhufDecodeSymbol(d);
      if (symbol >= 256) {
        LzhufReadMatchOffset(d, symbol);
        continue;
      }
      const uint8_t c = static_cast<uint8_t>(symbol);
      buffer[n++] = c;
      d->Ring[d->WritePos] = c;
      d->WritePos = static_cast<int32_t>((static_cast<uint32_t>(d->WritePos) + 1) & kRingMask);
      // The read ends with the symbol during which the source ended.
      if (n == capacity || d->SourceEnded) return n;
    }
  }
}
