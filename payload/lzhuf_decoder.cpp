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

// Keeps 9..16 bits pending: fetches a byte whenever 8 or fewer are left. A negative source result
// marks the end and counts as a zero byte.
inline void Refill(LzhufDecoder* d) {
  while (d->BitCount <= 8) {
    int value = d->SourceFunction(d->SourceContext);
    if (value < 0) {
      d->SourceEnded = 1;
      value = 0;
    }
    d->BitBuffer |= static_cast<uint32_t>(value & 0xFF) << (8 - d->BitCount);
    d->BitCount = static_cast<uint8_t>(d->BitCount + 8);
  }
}

inline int TakeBit(LzhufDecoder* d) {
  Refill(d);
  int bit = static_cast<int>((d->BitBuffer >> 15) & 1);
  d->BitBuffer <<= 1;
  d->BitCount = static_cast<uint8_t>(d->BitCount - 1);
  return bit;
}

inline int TakeByte(LzhufDecoder* d) {
  Refill(d);
  int byte = static_cast<int>((d->BitBuffer >> 8) & 0xFF);
  d->BitBuffer <<= 8;
  d->BitCount = static_cast<uint8_t>(d->BitCount - 8);
  return byte;
}

int DecodeSymbol(LzhufDecoder* d) {
  int32_t p = d->Child[kLzhufRoot];
  while (p < kLzhufTreeSize) p = d->Child[p + TakeBit(d)];
  int symbol = p - kLzhufTreeSize;
  LzhufUpdateTree(d, symbol);
  return symbol;
}

int DecodeOffset(LzhufDecoder* d) {
  int b = TakeByte(d);
  int upper = LzhufHighCode[b];
  int extra = LzhufCodeLength[b] - 2;
  while (extra-- > 0) b = b * 2 + TakeBit(d);
  return upper * 64 + (b & 63);
}

inline void PutRing(LzhufDecoder* d, uint8_t c) {
  d->Ring[d->WritePos] = c;
  d->WritePos = (d->WritePos + 1) & (kLzhufRingSize - 1);
}

}  // namespace

void LzhufInitTree(LzhufDecoder* d) {
  for (int s = 0; s < kLzhufSymbolCount; ++s) {
    d->Weight[s] = 1;
    d->Child[s] = kLzhufTreeSize + s;
    d->Parent[kLzhufTreeSize + s] = s;
  }
  for (int j = kLzhufSymbolCount; j < kLzhufTreeSize; ++j) {
    int i = 2 * (j - kLzhufSymbolCount);
    d->Weight[j] = d->Weight[i] + d->Weight[i + 1];
    d->Child[j] = i;
    d->Parent[i] = d->Parent[i + 1] = j;
  }
  d->Weight[kLzhufTreeSize] = kLzhufWeightSentinel;
  d->Parent[kLzhufRoot] = 0;
}

void LzhufRebuildTree(LzhufDecoder* d) {
  // Gather the leaves in their order, halving their weights upward.
  int j = 0;
  for (int i = 0; i < kLzhufTreeSize; ++i) {
    if (d->Child[i] >= kLzhufTreeSize) {
      d->Weight[j] = (d->Weight[i] + 1) / 2;
      d->Child[j] = d->Child[i];
      ++j;
    }
  }
  // Join pairs into internal nodes, each placed after every node of equal weight.
  for (int i = 0, k; j < kLzhufTreeSize; i += 2, ++j) {
    uint32_t f = d->Weight[i] + d->Weight[i + 1];
    for (k = j - 1; f < d->Weight[k]; --k) {
    }
    ++k;
    size_t moved = static_cast<size_t>(j - k);
    memmove(&d->Weight[k + 1], &d->Weight[k], moved * sizeof d->Weight[0]);
    d->Weight[k] = f;
    memmove(&d->Child[k + 1], &d->Child[k], moved * sizeof d->Child[0]);
    d->Child[k] = i;
  }
  for (int i = 0; i < kLzhufTreeSize; ++i) {
    int32_t k = d->Child[i];
    if (k >= kLzhufTreeSize) {
      d->Parent[k] = i;
    } else {
      d->Parent[k] = d->Parent[k + 1] = i;
    }
  }
}

void LzhufUpdateTree(LzhufDecoder* d, int symbol) {
  if (d->Weight[kLzhufRoot] == kLzhufWeightLimit) LzhufRebuildTree(d);
  int32_t p = d->Parent[kLzhufTreeSize + symbol];
  do {
    uint32_t w = ++d->Weight[p];
    if (w > d->Weight[p + 1]) {
      int32_t q = p + 1;
      while (w > d->Weight[q + 1]) ++q;
      d->Weight[p] = d->Weight[q];
      d->Weight[q] = w;

      int32_t a = d->Child[p];
      d->Parent[a] = q;
      if (a < kLzhufTreeSize) d->Parent[a + 1] = q;

      int32_t b = d->Child[q];
      d->Child[q] = a;
      d->Parent[b] = p;
      if (b < kLzhufTreeSize) d->Parent[b + 1] = p;
      d->Child[p] = b;

      p = q;
    }
    p = d->Parent[p];
  } while (p != 0);
}

void LzhufDecoderInit(LzhufDecoder* d, ByteSource sourceFunction, void* sourceContext) {
  memset(d, 0, sizeof *d);
  LzhufInitTree(d);
  memset(d->Ring, ' ', kLzhufInitialWritePos);
  d->WritePos = kLzhufInitialWritePos;
  d->Phase = 0;
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
    if (d->Phase == 1) {
      while (d->MatchDone < d->MatchLength) {
        if (n == capacity) return n;
        uint8_t c = d->Ring[(d->MatchSource + d->MatchDone) & (kLzhufRingSize - 1)];
        buffer[n++] = c;
        PutRing(d, c);
        ++d->MatchDone;
      }
      if (n == capacity || d->SourceEnded) return n;
      d->Phase = 0;
    } else {
      int symbol = DecodeSymbol(d);
      if (symbol < 256) {
        uint8_t c = static_cast<uint8_t>(symbol);
        buffer[n++] = c;
        PutRing(d, c);
        if (n == capacity || d->SourceEnded) return n;
      } else {
        int offset = DecodeOffset(d);
        d->MatchSource = (d->WritePos - offset - 1) & (kLzhufRingSize - 1);
        d->MatchLength = symbol - 253;
        d->MatchDone = 0;
        d->Phase = 1;
      }
    }
  }
}
