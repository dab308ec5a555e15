#include "tests/support/reference_decoder.h"

#include <string.h>

namespace {

const int kTree = kLzhufTreeSize;  // 627: first value of Child that denotes a leaf
const int kRoot = kLzhufRoot;      // 626

// Keeps more than 8 bits pending, one source byte at a time; a negative result is a zero byte.
void Refill(ReferenceDecoder* d) {
  while (d->BitCount <= 8) {
    int value = d->SourceFunction(d->SourceContext);
    if (value < 0) {
      d->SourceEnded = 1;
      value = 0;
    }
    d->BitBuffer |= static_cast<uint32_t>(value) << (8 - d->BitCount);
    d->BitCount = static_cast<uint8_t>(d->BitCount + 8);
  }
}

int TakeBit(ReferenceDecoder* d) {
  Refill(d);
  int bit = static_cast<int>((d->BitBuffer >> 15) & 1);
  d->BitBuffer <<= 1;
  d->BitCount = static_cast<uint8_t>(d->BitCount - 1);
  return bit;
}

int TakeByte(ReferenceDecoder* d) {
  Refill(d);
  int byte = static_cast<int>((d->BitBuffer >> 8) & 0xFF);
  d->BitBuffer <<= 8;
  d->BitCount = static_cast<uint8_t>(d->BitCount - 8);
  return byte;
}

void InitTree(ReferenceDecoder* d) {
  for (int s = 0; s < kLzhufSymbolCount; ++s) {
    d->Weight[s] = 1;
    d->Child[s] = kTree + s;
    d->Parent[kTree + s] = s;
  }
  for (int j = kLzhufSymbolCount; j < kTree; ++j) {
    int i = 2 * (j - kLzhufSymbolCount);
    d->Weight[j] = d->Weight[i] + d->Weight[i + 1];
    d->Child[j] = i;
    d->Parent[i] = j;
    d->Parent[i + 1] = j;
  }
  d->Weight[kTree] = 0xFFFF;
  d->Parent[kRoot] = 0;
}

void RebuildTree(ReferenceDecoder* d) {
  int j = 0;
  for (int i = 0; i < kTree; ++i) {
    if (d->Child[i] >= kTree) {
      d->Weight[j] = (d->Weight[i] + 1) / 2;
      d->Child[j] = d->Child[i];
      j = j + 1;
    }
  }
  for (j = kLzhufSymbolCount; j < kTree; ++j) {
    int i = 2 * (j - kLzhufSymbolCount);
    uint32_t f = d->Weight[i] + d->Weight[i + 1];
    int k = j - 1;
    while (f < d->Weight[k]) k = k - 1;
    for (int m = j - 1; m >= k + 1; --m) {
      d->Weight[m + 1] = d->Weight[m];
      d->Child[m + 1] = d->Child[m];
    }
    d->Weight[k + 1] = f;
    d->Child[k + 1] = i;
  }
  for (int i = 0; i < kTree; ++i) {
    int k = d->Child[i];
    if (k >= kTree) {
      d->Parent[k] = i;
    } else {
      d->Parent[k] = i;
      d->Parent[k + 1] = i;
    }
  }
}

void UpdateTree(ReferenceDecoder* d, int s) {
  if (d->Weight[kRoot] == 0x8000) RebuildTree(d);
  int p = d->Parent[kTree + s];
  for (;;) {
    d->Weight[p] = d->Weight[p] + 1;
    uint32_t w = d->Weight[p];
    if (w > d->Weight[p + 1]) {
      int q = p + 1;
      while (d->Weight[q + 1] < w) q = q + 1;
      d->Weight[p] = d->Weight[q];
      d->Weight[q] = w;
      int a = d->Child[p];
      d->Parent[a] = q;
      if (a < kTree) d->Parent[a + 1] = q;
      int b = d->Child[q];
      d->Child[q] = a;
      d->Parent[b] = p;
      if (b < kTree) d->Parent[b + 1] = p;
      d->Child[p] = b;
      p = q;
    }
    p = d->Parent[p];
    if (p == 0) break;
  }
}

int DecodeSymbol(ReferenceDecoder* d) {
  int p = d->Child[kRoot];
  while (p < kTree) p = d->Child[p + TakeBit(d)];
  int s = p - kTree;
  UpdateTree(d, s);
  return s;
}

void DecodeOffset(ReferenceDecoder* d, int s) {
  int b = TakeByte(d);
  int u = LzhufHighCode[b];
  int n = LzhufCodeLength[b] - 2;
  for (int i = 0; i < n; ++i) b = b * 2 + TakeBit(d);
  int offset = u * 64 + b % 64;
  d->MatchSource = (d->WritePos - offset - 1) % 4096;
  if (d->MatchSource < 0) d->MatchSource += 4096;
  d->MatchLength = LzhufMatchLength(s);
  d->MatchDone = 0;
  d->Phase = kLzhufCopyMatch;
}

}  // namespace

void ReferenceDecoderInit(ReferenceDecoder* d, ByteSource sourceFunction, void* sourceContext) {
  memset(d, 0, sizeof *d);
  InitTree(d);
  for (int i = 0; i < 4036; ++i) d->Ring[i] = 0x20;
  d->WritePos = 4036;
  d->Phase = kLzhufDecodeSymbol;
  d->SourceFunction = sourceFunction;
  d->SourceContext = sourceContext;
}

int32_t ReferenceDecoderRead(ReferenceDecoder* d, uint8_t* buffer, int32_t capacity) {
  if (d->SourceEnded && d->MatchDone >= d->MatchLength) return 0;
  int32_t n = 0;
  for (;;) {
    if (d->Phase == kLzhufCopyMatch) {
      while (d->MatchDone < d->MatchLength) {
        if (n == capacity) return n;
        uint8_t c = d->Ring[(d->MatchSource + d->MatchDone) % 4096];
        buffer[n] = c;
        n = n + 1;
        d->Ring[d->WritePos] = c;
        d->WritePos = (d->WritePos + 1) % 4096;
        d->MatchDone = d->MatchDone + 1;
      }
      if (n == capacity) return n;
      if (d->SourceEnded) return n;
      d->Phase = kLzhufDecodeSymbol;
    } else {
      int s = DecodeSymbol(d);
      if (s < 256) {
        buffer[n] = static_cast<uint8_t>(s);
        n = n + 1;
        d->Ring[d->WritePos] = static_cast<uint8_t>(s);
        d->WritePos = (d->WritePos + 1) % 4096;
        if (n == capacity) return n;
        if (d->SourceEnded) return n;
      } else {
        DecodeOffset(d, s);
      }
    }
  }
}
