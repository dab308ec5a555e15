#include "tools/lzhuf-pack/lzhuf_parse.h"

#include <string.h>

#include <memory>

#include "tools/lzhuf-pack/lzhuf_emit.h"

namespace lzhuf_pack {

void ParseGreedy(const uint8_t* window, size_t size, std::vector<Token>* tokens) {
  tokens->clear();
  // Every position of the window is compared, so the longest match is found.
  MatchFinder finder(window, size, kLzhufRingSize);
  Match matches[kLzhufMaxMatch];
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

namespace {

// Parse costs are kept in sixteenths of a bit so that two code-length estimates can be mixed.
const uint32_t kCostScale = 16;

void CopyTree(LzhufDecoder* to, const LzhufDecoder& from) {
  memcpy(to->Weight, from.Weight, sizeof from.Weight);
  memcpy(to->Parent, from.Parent, sizeof from.Parent);
  memcpy(to->Child, from.Child, sizeof from.Child);
}

void UpdateTree(LzhufDecoder* tree, const uint8_t* window, size_t pos, Token token) {
  LzhufUpdateTree(tree, SymbolOf(window, pos, token));
}

// The cheapest parse of one block for the given symbol costs, by a forward pass over the block's
// positions: every literal and every match length (at the nearest distance that reaches it)
// from each position. Matches end within the block. Appends the tokens in reverse order.
class BlockParser {
 public:
  explicit BlockParser(size_t maxBlock)
      : matchEnd_(maxBlock), price_(maxBlock + 1), from_(maxBlock + 1) {
    for (int d = 1; d <= kLzhufRingSize; ++d) {
      offsetCost_[d] = kCostScale * static_cast<uint32_t>(OffsetFieldBits(d - 1));
    }
  }

  // Finds the matches of positions start..start + count - 1 (and inserts them).
  void FindMatches(MatchFinder* finder, size_t start, size_t count) {
    uint32_t used = 0;
    for (size_t j = 0; j < count; ++j) {
      if (matches_.size() < used + kLzhufMaxMatch)
        matches_.resize(2 * matches_.size() + kLzhufMaxMatch);
      used += static_cast<uint32_t>(finder->FindAndInsert(start + j, &matches_[used]));
      matchEnd_[j] = used;
    }
    start_ = start;
    count_ = count;
  }

  void Parse(const uint8_t* window, const uint32_t* cost, std::vector<Token>* reversed) {
    size_t n = count_;
    price_[0] = 0;
    for (size_t j = 1; j <= n; ++j) price_[j] = UINT32_MAX;
    const uint8_t* bytes = window + kWindowPrefix + start_;
    uint32_t first = 0;
    for (size_t j = 0; j < n; ++j) {
      uint32_t base = price_[j];
      uint32_t literal = base + cost[bytes[j]];
      if (literal < price_[j + 1]) {
        price_[j + 1] = literal;
        from_[j + 1] = Token{1, 0};
      }
      size_t room = n - j;
      int maxLength = room < kLzhufMaxMatch ? static_cast<int>(room) : kLzhufMaxMatch;
      int length = kLzhufMinMatch;
      for (uint32_t k = first; k < matchEnd_[j] && length <= maxLength; ++k) {
        int top = matches_[k].Length < maxLength ? matches_[k].Length : maxLength;
        uint32_t matchBase = base + offsetCost_[matches_[k].Distance];
        for (; length <= top; ++length) {
          uint32_t total = matchBase + cost[LzhufMatchSymbol(length)];
          size_t to = j + static_cast<size_t>(length);
          if (total <= price_[to]) {
            price_[to] = total;
            from_[to] = Token{static_cast<uint16_t>(length), matches_[k].Distance};
          }
        }
      }
      first = matchEnd_[j];
    }
    reversed->clear();
    for (size_t j = n; j > 0; j -= from_[j].Length) reversed->push_back(from_[j]);
  }

 private:
  std::vector<Match> matches_;
  std::vector<uint32_t> matchEnd_;  // matches of position j end at matchEnd_[j]
  std::vector<uint32_t> price_;
  std::vector<Token> from_;
  uint32_t offsetCost_[kLzhufRingSize + 1];
  size_t start_ = 0;
  size_t count_ = 0;
};

// Chain length of the optimal parse's match search, and its block sizes: blocks grow with the
// position (the tree changes fastest at the start) up to kMaxBlock bytes.
const int kOptimalChain = 256;
const size_t kMinBlock = 1024;
const size_t kMaxBlock = 16384;

}  // namespace

void ParseOptimal(const uint8_t* window, size_t size, std::vector<Token>* tokens) {
  tokens->clear();
  MatchFinder finder(window, size, kOptimalChain);
  std::unique_ptr<BlockParser> parser(new BlockParser(size < kMaxBlock ? size : kMaxBlock));
  std::unique_ptr<LzhufDecoder> tree(new LzhufDecoder);
  std::unique_ptr<LzhufDecoder> ahead(new LzhufDecoder);
  InitTreeRecord(tree.get());
  InitTreeRecord(ahead.get());
  std::vector<Token> reversed;
  int startLengths[kLzhufSymbolCount];
  int endLengths[kLzhufSymbolCount];
  uint32_t cost[kLzhufSymbolCount];

  for (size_t s = 0; s < size;) {
    size_t block = s / 2 < kMinBlock ? kMinBlock : s / 2 > kMaxBlock ? kMaxBlock : s / 2;
    size_t n = size - s < block ? size - s : block;
    parser->FindMatches(&finder, s, n);

    // First with the code lengths at the block's start; then again with the mean of those and
    // the code lengths that the first parse leaves at the block's end.
    SymbolCodeLengths(*tree, startLengths);
    for (int k = 0; k < kLzhufSymbolCount; ++k) {
      cost[k] = kCostScale * static_cast<uint32_t>(startLengths[k]);
    }
    parser->Parse(window, cost, &reversed);
    CopyTree(ahead.get(), *tree);
    size_t pos = s;
    for (size_t k = reversed.size(); k-- > 0; pos += reversed[k].Length) {
      UpdateTree(ahead.get(), window, pos, reversed[k]);
    }
    SymbolCodeLengths(*ahead, endLengths);
    for (int k = 0; k < kLzhufSymbolCount; ++k) {
      cost[k] = kCostScale / 2 * static_cast<uint32_t>(startLengths[k] + endLengths[k]);
    }
    parser->Parse(window, cost, &reversed);

    pos = s;
    bool last = s + n == size;  // no later block needs the tree
    for (size_t k = reversed.size(); k-- > 0; pos += reversed[k].Length) {
      tokens->push_back(reversed[k]);
      if (!last) UpdateTree(tree.get(), window, pos, reversed[k]);
    }
    s += n;
  }
}

}  // namespace lzhuf_pack
