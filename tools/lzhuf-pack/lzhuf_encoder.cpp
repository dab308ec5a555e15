#include "tools/lzhuf-pack/lzhuf_encoder.h"

#include <memory>

#include "payload/lzhuf_decoder.h"
#include "payload/memory_byte_source.h"
#include "tools/lzhuf-pack/lzhuf_emit.h"
#include "tools/lzhuf-pack/lzhuf_match_window.h"
#include "tools/lzhuf-pack/lzhuf_parse.h"

using lzhuf_pack::Token;

bool LzhufEncode(const uint8_t* data, size_t size, LzhufParse parse, std::vector<uint8_t>* item) {
  item->clear();
  if (size == 0 || size > kLzhufEncodeMaxSize) return false;
  std::vector<uint8_t> window = lzhuf_pack::MakeWindow(data, size);
  std::vector<Token> tokens;
  lzhuf_pack::ParseGreedy(window.data(), size, &tokens);
  bool greedyOk = lzhuf_pack::EmitItem(window.data(), size, tokens, item);
  if (parse == LzhufParse::Greedy) return greedyOk;
  return greedyOk;
}

bool LzhufDecodeItem(const uint8_t* item, size_t itemSize, std::vector<uint8_t>* out) {
  out->clear();
  if (itemSize == 0 || itemSize > 0x7FFFFFFF) return false;
  MemoryByteSourceContext source = {item, 0, static_cast<int32_t>(itemSize)};
  LzhufDecoder* decoder = LzhufDecoderCreate(MemoryByteSource, &source);
  if (!decoder) return false;
  uint8_t piece[256];
  for (;;) {
    int32_t n = LzhufDecoderRead(decoder, piece, static_cast<int32_t>(sizeof piece));
    if (n <= 0) break;
    out->insert(out->end(), piece, piece + n);
  }
  LzhufDecoderDestroy(decoder);
  return true;
}
