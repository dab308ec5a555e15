// Reference LZHUF decoder for measurements and cross-checks: the stream format decoded step by
// step and bit by bit, in the plainest form, with no attention to speed. The installer's decoder
// (payload/lzhuf_decoder.h) must produce the same bytes with the same calls of the byte source.
#pragma once

#include <stdint.h>

#include "payload/lzhuf_decoder.h"

struct ReferenceDecoder {
  uint8_t Ring[kLzhufRingSize];
  uint32_t Weight[kLzhufTreeSize + 1];
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

void ReferenceDecoderInit(ReferenceDecoder* decoder, ByteSource sourceFunction,
                          void* sourceContext);
// Same contract as LzhufDecoderRead.
int32_t ReferenceDecoderRead(ReferenceDecoder* decoder, uint8_t* buffer, int32_t capacity);
