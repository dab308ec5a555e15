// The packer's view of the decoder's dictionary: the initial ring contents followed by the input,
// so that a match at distance d (1..4096) before input position i reads window bytes
// [kWindowPrefix + i - d, ...). The decoder copies byte by byte, so a match whose distance is
// below its length repeats the bytes it has just produced, exactly as a plain comparison of the
// window with itself at that distance does.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "payload/lzhuf_tree.h"

namespace lzhuf_pack {

enum {
  kWindowPrefix = kLzhufRingSize,  // the ring as seen from the initial write position
  kMaxHashBits = 16,
};

// A literal (Length 1) or a match (Length 3..60 at Distance 1..4096).
struct Token {
  uint16_t Length;
  uint16_t Distance;
};
static_assert(kLzhufRingSize <= UINT16_MAX && kLzhufMaxMatch <= UINT16_MAX,
              "a token's fields hold the longest distance and length");

// The symbol that codes the token at input position pos.
inline int SymbolOf(const uint8_t* window, size_t pos, Token token) {
  return token.Length == 1 ? window[kWindowPrefix + pos] : LzhufMatchSymbol(token.Length);
}

// One candidate found at a position: the nearest distance that gives this length.
struct Match {
  uint16_t Length;
  uint16_t Distance;
};

// Window bytes: 60 zero bytes and 4036 spaces (the ring from position 4036 on, wrapping around),
// then the input, then two zero bytes so that a 3-byte hash can always be formed.
std::vector<uint8_t> MakeWindow(const uint8_t* data, size_t size);

// Hash chains over the window. Every position is searched (optionally) and then inserted, in
// increasing order; positions of the initial dictionary are inserted at construction.
class MatchFinder {
 public:
  MatchFinder(const uint8_t* window, size_t size, int maxChain);

  // Matches at input position i, nearest first: lengths strictly increasing, each with the
  // nearest distance that reaches it. Inserts i. Returns the number written to out (at most
  // kLzhufMaxMatch - kLzhufMinMatch + 1).
  int FindAndInsert(size_t i, Match* out);
  // Inserts input position i without searching.
  void Insert(size_t i);

 private:
  uint32_t Hash(size_t windowPos) const;
  void InsertWindowPos(size_t windowPos, uint32_t hash);

  const uint8_t* window_;
  size_t size_;
  int maxChain_;
  int hashShift_;
  std::vector<int32_t> head_;
  std::vector<int32_t> prev_;  // ring of kLzhufRingSize links, indexed by window position
};

// Length of the match at distance d before input position i (0..limit), by direct comparison.
inline int MatchLength(const uint8_t* window, size_t i, int distance, int limit) {
  const uint8_t* cur = window + kWindowPrefix + i;
  const uint8_t* ref = cur - distance;
  int n = 0;
  while (n < limit && cur[n] == ref[n]) ++n;
  return n;
}

}  // namespace lzhuf_pack
