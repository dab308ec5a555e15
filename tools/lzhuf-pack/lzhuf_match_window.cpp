#include "tools/lzhuf-pack/lzhuf_match_window.h"

namespace lzhuf_pack {

std::vector<uint8_t> MakeWindow(const uint8_t* data, size_t size) {
  std::vector<uint8_t> window;
  window.reserve(kWindowPrefix + size + 2);
  window.resize(kLzhufRingSize - kLzhufInitialWritePos, 0);
  window.resize(kWindowPrefix, ' ');
  window.insert(window.end(), data, data + size);
  window.resize(kWindowPrefix + size + 2, 0);
  return window;
}

namespace {

// Hash bits: about one head per position of the window and input, up to kMaxHashBits.
int HashBits(size_t size) {
  int bits = 12;
  while (bits < kMaxHashBits && (size_t{1} << bits) < kWindowPrefix + size) ++bits;
  return bits;
}

}  // namespace

MatchFinder::MatchFinder(const uint8_t* window, size_t size, int maxChain)
    : window_(window),
      size_(size),
      maxChain_(maxChain),
      hashShift_(32 - HashBits(size)),
      head_(size_t{1} << HashBits(size), -1),
      prev_(kLzhufRingSize, -1) {
  for (size_t p = 0; p < kWindowPrefix; ++p) InsertWindowPos(p, Hash(p));
}

uint32_t MatchFinder::Hash(size_t windowPos) const {
  const uint8_t* b = window_ + windowPos;
  uint32_t key = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                 static_cast<uint32_t>(b[2]) << 16;
  return (key * 2654435761u) >> hashShift_;
}

void MatchFinder::InsertWindowPos(size_t windowPos, uint32_t hash) {
  prev_[windowPos & (kLzhufRingSize - 1)] = head_[hash];
  head_[hash] = static_cast<int32_t>(windowPos);
}

void MatchFinder::Insert(size_t i) {
  size_t pos = kWindowPrefix + i;
  InsertWindowPos(pos, Hash(pos));
}

int MatchFinder::FindAndInsert(size_t i, Match* out) {
  size_t pos = kWindowPrefix + i;
  uint32_t hash = Hash(pos);
  int count = 0;
  size_t left = size_ - i;
  int limit = left < kLzhufMaxMatch ? static_cast<int>(left) : kLzhufMaxMatch;
  if (limit >= kLzhufMinMatch) {
    // Links are valid for every position within the window: the slot of pos - 4096, which pos
    // shares, is overwritten only after the search.
    int32_t lowest = static_cast<int32_t>(pos - kLzhufRingSize);
    int32_t candidate = head_[hash];
    int best = kLzhufMinMatch - 1;
    const uint8_t* cur = window_ + pos;
    for (int chain = maxChain_; candidate >= lowest && chain > 0; --chain) {
      const uint8_t* ref = window_ + candidate;
      if (ref[best] == cur[best] && ref[0] == cur[0] && ref[1] == cur[1]) {
        int n = 2;
        while (n < limit && ref[n] == cur[n]) ++n;
        if (n > best) {
          best = n;
          out[count].Length = static_cast<uint16_t>(n);
          out[count].Distance = static_cast<uint16_t>(pos - static_cast<size_t>(candidate));
          ++count;
          if (n == limit) break;
        }
      }
      candidate = prev_[static_cast<size_t>(candidate) & (kLzhufRingSize - 1)];
    }
  }
  InsertWindowPos(pos, hash);
  return count;
}

}  // namespace lzhuf_pack
