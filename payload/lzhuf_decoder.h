// Resumable LZHUF stream decoder: LZSS over a 4096-byte ring with matches of 3..60 bytes, literal
// bytes and match lengths coded with one adaptive Huffman tree of 314 symbols, and match offsets
// sent as a fixed prefix code for the upper 6 bits followed by the lower 6 bits. Items carry no
// header; their end is found from the exhaustion of the byte source.
#pragma once

#include <stdint.h>

#include "payload/lzhuf_tree.h"

// Returns the next compressed byte as 0..255, or a negative value when none is left. Called
// again after the first negative result, so it must keep returning a negative value.
typedef int (*ByteSource)(void* context);

// What the next step of a read does.
enum LzhufPhase {
  kLzhufDecodeSymbol = 0,  // decode the next literal or match
  kLzhufCopyMatch = 1,     // go on copying the current match
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
  int32_t Phase;  // an LzhufPhase
  int32_t SourceEnded;
  void* SourceContext;
  ByteSource SourceFunction;
};

// Allocates and initialises a decoder; returns null when there is no memory. Reads nothing.
LzhufDecoder* LzhufDecoderCreate(ByteSource sourceFunction, void* sourceContext);
void LzhufDecoderInit(LzhufDecoder* decoder, ByteSource sourceFunction, void* sourceContext);
// Writes 1..capacity decoded bytes to buffer and returns their count, or 0 once the stream is
// finished (on that call and every later one). A capacity below 1 reads and writes nothing and
// returns 0.
int32_t LzhufDecoderRead(LzhufDecoder* decoder, uint8_t* buffer, int32_t capacity);
void LzhufDecoderDestroy(LzhufDecoder* decoder);
