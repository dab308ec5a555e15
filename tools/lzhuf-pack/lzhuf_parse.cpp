#include "tools/lzhuf-pack/lzhuf_parse.h"

namespace lzhuf_pack {
namespace {

// Chain lengths: how many earlier occurrences of a 3-byte prefix are compared at most.
const int kGreedyChain = 256;

}  // namespace

void ParseGreedy(const uint8_t* window, size_t size, std::vector<Token>* tokens) {
  tokens->clear();
  MatchFinder finder(window, size, kGreedyChain);
  Match matches[kMaxMatch];
  size_t i = 0;
  while (i < size) {
    int count = finder.FindAndInsert(i, matches);
    if (count == 0) {
      tokens->push_back(Token{1, 0});
      ++i;
      continue;
    }
    Match best = matches[count - 1];
    tokens->push_back(Token{best.Length, best.Distance});
    for (size_t k = 1; k < best.Length; ++k) finder.Insert(i + k);
    i += best.Length;
  }
}

}  // namespace lzhuf_pack
