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

// The decoder record: one allocation of 12,920 bytes (12,928 in a 64-bit build), almost all of it
// the ring and the tree, owned by its creator.
struct LzhufDecoder {
  uint8_t Ring[kLzhufRingSize];         // the last 4096 bytes delivered, each at WritePos
  uint32_t Weight[kLzhufTreeSize + 1];  // each tree position's weight; slot 627 the sentinel
  // Entries 0..626: the parent of each position (0 for the root); entry 627 + s: the position of
  // the leaf of symbol s.
  int32_t Parent[kLzhufTreeSize + kLzhufSymbolCount];
  // An internal node's first child (the second is at the next position); 627 + s for the leaf of
  // symbol s.
  int32_t Child[kLzhufTreeSize];
  uint32_t BitBuffer;   // pending input bits: the next one in bit 15, the others below it
  uint8_t BitCount;     // how many bits are pending, 0..16
  int32_t WritePos;     // the next ring position to write, 0..4095
  int32_t MatchSource;  // the ring position of the current match's first byte
  int32_t MatchLength;  // the current match's length, 3..60 (0 before the first match)
  int32_t MatchDone;    // bytes of the current match delivered so far
  int32_t Phase;        // an LzhufPhase
  int32_t SourceEnded;  // set once the source has returned a negative value, never cleared
  void* SourceContext;  // passed to SourceFunction
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
