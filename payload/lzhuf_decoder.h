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

// Code bits resolved by one look-up in the decoder's fast table.
enum { kLzhufFastBits = 8 };

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
  // Derived from the tree, to decode the first kLzhufFastBits (8) bits of a code in one step
  // and to find the positions on a code's path without walking up through Parent:
  // FastEntry[v], for the value v of those bits, is c | b << 10, where b is the number of bits
  // that lead from the root to a leaf or to a node at depth 8, and c is that position's Child
  // value. FastNode[(1 << k) | x] is the position that the k code bits x lead to (k = 0..8, as
  // far as the tree reaches). FastDepth[p] is the depth of position p if it is 1..8 (else 0)
  // and FastCode[p] the bits that lead there. The decoder keeps them in step with its tree;
  // LzhufInitTree, LzhufUpdateTree and LzhufRebuildTree set FastStale, and the decoder rebuilds
  // them before its next symbol. Code that changes Weight, Parent or Child by other means must
  // set FastStale before the decoder reads again.
  uint16_t FastEntry[1 << kLzhufFastBits];
  int16_t FastNode[2 << kLzhufFastBits];
  uint8_t FastDepth[kLzhufTreeSize];
  uint8_t FastCode[kLzhufTreeSize];
  int32_t FastStale;
};

// Allocates and initialises a decoder; returns null when there is no memory. Reads nothing.
LzhufDecoder* LzhufDecoderCreate(ByteSource sourceFunction, void* sourceContext);
void LzhufDecoderInit(LzhufDecoder* decoder, ByteSource sourceFunction, void* sourceContext);
// Writes 1..capacity decoded bytes to buffer and returns their count, or 0 once the stream is
// finished (on that call and every later one). A capacity below 1 reads and writes nothing and
// returns 0.
int32_t LzhufDecoderRead(LzhufDecoder* decoder, uint8_t* buffer, int32_t capacity);
void LzhufDecoderDestroy(LzhufDecoder* decoder);
