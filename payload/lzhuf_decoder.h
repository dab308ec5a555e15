// Resumable LZHUF stream decoder: LZSS over a 4096-byte ring with matches of 3..60 bytes, literal
// bytes and match lengths coded with one adaptive Huffman tree of 314 symbols, and match offsets
// sent as a fixed prefix code for the upper 6 bits followed by the lower 6 bits. Items carry no
// header; their end is found from the exhaustion of the byte source.
#pragma once

#include <stdint.h>

// Returns the next compressed byte as 0..255, or a negative value when none is left. Called
// again after the first negative result, so it must keep returning a negative value.
typedef int (*ByteSource)(void* context);

enum {
  kLzhufRingSize = 4096,
  kLzhufMaxMatch = 60,
  kLzhufMinMatch = 3,
  kLzhufSymbolCount = 314,                     // 256 literals + 58 match lengths
  kLzhufTreeSize = 2 * kLzhufSymbolCount - 1,  // 627 positions; 626 is the root
  kLzhufRoot = kLzhufTreeSize - 1,
  kLzhufWeightLimit = 0x8000,
  kLzhufWeightSentinel = 0xFFFF,
  kLzhufInitialWritePos = kLzhufRingSize - kLzhufMaxMatch  // 4036
};

struct LzhufDecoder {
  uint8_t Ring[kLzhufRingSize];
  uint32_t Weight[kLzhufTreeSize + 1];  // slot 627 holds the sentinel
  int32_t Parent[kLzhufTreeSize + kLzhufSymbolCount];
  int32_t Child[kLzhufTreeSize];
  uint32_t BitBuffer;
  uint8_t BitCount;
  int32_t WritePos;
  int32_t MatchSource;
  int32_t MatchLength;
  int32_t MatchDone;
  int32_t Phase;
  int32_t SourceEnded;
  void* SourceContext;
  ByteSource SourceFunction;
};

// Allocates and initialises a decoder; returns null when there is no memory. Reads nothing.
LzhufDecoder* LzhufDecoderCreate(ByteSource sourceFunction, void* sourceContext);
void LzhufDecoderInit(LzhufDecoder* decoder, ByteSource sourceFunction, void* sourceContext);
// Writes 1..capacity decoded bytes to buffer and returns their count, or 0 once the stream is
// finished (on that call and every later one). capacity must be at least 1.
int32_t LzhufDecoderRead(LzhufDecoder* decoder, uint8_t* buffer, int32_t capacity);
void LzhufDecoderDestroy(LzhufDecoder* decoder);

// The adaptive tree, shared with the build-time compressor so both sides update it alike.
void LzhufInitTree(LzhufDecoder* decoder);
void LzhufUpdateTree(LzhufDecoder* decoder, int symbol);
void LzhufRebuildTree(LzhufDecoder* decoder);

// The fixed decoding tables for the upper 6 bits of a match offset, indexed by the next 8 bits.
extern const uint8_t LzhufHighCode[256];
extern const uint8_t LzhufCodeLength[256];
