#include "tools/lzhuf-pack/lzhuf_encoder.h"

#include <memory>

#include "payload/lzhuf_decoder.h"
#include "payload/memory_byte_source.h"
#include "tools/lzhuf-pack/lzhuf_emit.h"
#include "tools/lzhuf-pack/lzhuf_match_window.h"
#include "tools/lzhuf-pack/lzhuf_parse.h"

using lzhuf_pack::Token;

namespace {

// Replays the parse that an item was written from and measures its codes.
void MeasureParse(const uint8_t* window, const std::vector<Token>& tokens,
                  LzhufEncodeStats* stats) {
  std::unique_ptr<LzhufDecoder> tree(new LzhufDecoder);
  lzhuf_pack::InitTreeRecord(tree.get());
  *stats = LzhufEncodeStats();
  size_t pos = 0;
  for (Token token : tokens) {
    int symbol = lzhuf_pack::SymbolOf(window, pos, token);
    int length = 0;
    for (int32_t p = tree->Parent[kLzhufTreeSize + symbol]; p != kLzhufRoot; p = tree->Parent[p]) {
      ++length;
    }
    if (length > stats->LongestCode) stats->LongestCode = length;
    if (tree->Weight[kLzhufRoot] == kLzhufWeightLimit) ++stats->Rebuilds;
    LzhufUpdateTree(tree.get(), symbol);
    if (token.Length == 1) {
      ++stats->Literals;
    } else {
      ++stats->Matches;
    }
    pos += token.Length;
  }
}

}  // namespace

bool LzhufEncode(const uint8_t* data, size_t size, LzhufParse parse, std::vector<uint8_t>* item,
                 LzhufEncodeStats* stats) {
  item->clear();
  if (size == 0 || size > kLzhufEncodeMaxSize) return false;
  std::vector<uint8_t> window = lzhuf_pack::MakeWindow(data, size);
  std::vector<Token> tokens;
  lzhuf_pack::ParseGreedy(window.data(), size, &tokens);
  bool ok = lzhuf_pack::EmitItem(window.data(), size, &tokens, item);
  if (parse == LzhufParse::Default) {
    // The optimal parse's costs are estimates, so the greedy item is kept when it is smaller.
    std::vector<Token> optimal;
    std::vector<uint8_t> candidate;
    lzhuf_pack::ParseOptimal(window.data(), size, &optimal);
    if (lzhuf_pack::EmitItem(window.data(), size, &optimal, &candidate) &&
        (!ok || candidate.size() < item->size())) {
      item->swap(candidate);
      tokens.swap(optimal);
      ok = true;
    }
  }
  if (ok && stats) MeasureParse(window.data(), tokens, stats);
  return ok;
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
