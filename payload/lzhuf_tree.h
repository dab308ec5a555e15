// The LZHUF format as the installer's decoder and the build-time packer share it: its constants,
// the symbol of a match length, the adaptive Huffman tree and the offset tables. Only the LZHUF
// code includes this header directly; everything else uses payload/lzhuf_decoder.h.
#pragma once

#include <stdint.h>

enum {
  kLzhufRingSize = 4096,  // the dictionary; also the longest match distance
  kLzhufMaxMatch = 60,
  kLzhufMinMatch = 3,
  kLzhufSymbolCount = 314,                     // 256 literals + 58 match lengths
  kLzhufTreeSize = 2 * kLzhufSymbolCount - 1,  // 627 positions; 626 is the root
  kLzhufRoot = kLzhufTreeSize - 1,
  kLzhufWeightLimit = 0x8000,
  kLzhufWeightSentinel = 0xFFFF,
  kLzhufInitialWritePos = kLzhufRingSize - kLzhufMaxMatch,  // 4036
};

// Ring positions wrap with a mask of kLzhufRingSize - 1, in the decoder and the packer alike.
static_assert((kLzhufRingSize & (kLzhufRingSize - 1)) == 0, "the ring size is a power of two");
static_assert(kLzhufSymbolCount == 256 + kLzhufMaxMatch - kLzhufMinMatch + 1,
              "one symbol for each literal and each match length");

// Match lengths kLzhufMinMatch..kLzhufMaxMatch follow the 256 literal symbols.
inline int LzhufMatchSymbol(int length) { return length + (256 - kLzhufMinMatch); }
inline int LzhufMatchLength(int symbol) { return symbol - (256 - kLzhufMinMatch); }

// The tree lives in the decoder record (Weight, Parent, Child); the packer keeps records of its
// own and updates them with these same procedures, so both sides code every symbol alike.
struct LzhufDecoder;
void LzhufInitTree(LzhufDecoder* decoder);
void LzhufUpdateTree(LzhufDecoder* decoder, int symbol);
void LzhufRebuildTree(LzhufDecoder* decoder);

// The fixed decoding tables for the upper 6 bits of a match offset, indexed by the next 8 bits.
extern const uint8_t LzhufHighCode[256];
extern const uint8_t LzhufCodeLength[256];
