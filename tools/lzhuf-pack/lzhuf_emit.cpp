#include "tools/lzhuf-pack/lzhuf_emit.h"

#include <string.h>

#include <memory>

#include "tools/lzhuf-pack/bit_writer.h"

namespace lzhuf_pack {
namespace {

// The prefix code of each upper offset value u, derived from the decoder's own tables: the top
// CodeLength bits of the first table index that decodes to u.
struct OffsetCodeTable {
  uint8_t Code[64];
  uint8_t Length[64];
  OffsetCodeTable() {
    for (int b = 255; b >= 0; --b) {
      int u = LzhufHighCode[b];
      Length[u] = LzhufCodeLength[b];
      Code[u] = static_cast<uint8_t>(b >> (8 - LzhufCodeLength[b]));
    }
  }
};

const OffsetCodeTable& OffsetCodes() {
  static const OffsetCodeTable table;
  return table;
}

void CopyTree(LzhufDecoder* to, const LzhufDecoder& from) {
  memcpy(to->Weight, from.Weight, sizeof from.Weight);
  memcpy(to->Parent, from.Parent, sizeof from.Parent);
  memcpy(to->Child, from.Child, sizeof from.Child);
}

int CodeLength(const LzhufDecoder& tree, int symbol) {
  int n = 0;
  for (int32_t p = tree.Parent[kLzhufTreeSize + symbol]; p != kLzhufRoot; p = tree.Parent[p]) ++n;
  return n;
}

// Writes the symbol's code (its path from the root, root end first; any length) and updates the
// tree as the decoder does right after reading it.
void PutSymbol(BitWriter* writer, LzhufDecoder* tree, int symbol) {
  uint8_t path[kLzhufTreeSize];
  int n = 0;
  for (int32_t p = tree->Parent[kLzhufTreeSize + symbol]; p != kLzhufRoot; p = tree->Parent[p]) {
    path[n++] = static_cast<uint8_t>(p & 1);
  }
  while (n > 0) {
    int count = n < 32 ? n : 32;
    uint32_t chunk = 0;
    for (int k = 0; k < count; ++k) chunk = chunk << 1 | path[--n];
    writer->PutBits(chunk, count);
  }
  LzhufUpdateTree(tree, symbol);
}

void PutToken(BitWriter* writer, LzhufDecoder* tree, const uint8_t* window, size_t pos,
              Token token) {
  PutSymbol(writer, tree, SymbolOf(window, pos, token));
  if (token.Length > 1) {
    int offset = token.Distance - 1;
    int upper = offset >> 6;
    writer->PutBits(OffsetCodes().Code[upper], OffsetCodes().Length[upper]);
    writer->PutBits(static_cast<uint32_t>(offset & 63), 6);
  }
}

// The decoder notes the end while reading the first symbol that takes a bit from the last byte
// and stops after it; that symbol must be the final one. The final symbol starts at bit
// lastStart and the item holds end bits.
bool EndConditionHolds(uint64_t lastStart, uint64_t end) {
  return lastStart == 0 || lastStart <= 8 * ((end - 1) / 8);
}

int OffsetClass(int offset) { return OffsetCodes().Length[offset >> 6] - 3; }

// Searches for a parse of data[start..size) whose final symbol reaches into a byte of its own.
// Each position has a default choice (a match to the very end when there is one, since a match
// is at least 10 bits long and always satisfies the condition; else the original token when one
// starts there; else the longest match or a literal) and a few alternatives that change the bit
// count: a literal, every shorter match, and matches at distances whose offset fields differ in
// length. The search allows up to a given number of non-default choices, trying those nearest
// the end first, and gives up after a fixed number of steps.
class TailSearch {
 public:
  TailSearch(const uint8_t* window, size_t size, size_t start, const Token* original,
             size_t originalCount, const LzhufDecoder& tree)
      : window_(window),
        size_(size),
        start_(start),
        original_(size - start, Token{0, 0}),
        options_(size - start),
        known_(size - start, false) {
    // Chains of equal 3-byte hashes over the tail and the 4096 window bytes before it: every
    // earlier occurrence of a position's first three bytes lies on its chain.
    chainBase_ = start;
    chain_.assign(kLzhufRingSize + size - start, -1);
    std::vector<int32_t> head(4096, -1);
    for (size_t p = start; p < kLzhufRingSize + size; ++p) {
      const uint8_t* b = window + p;
      uint32_t key = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                     static_cast<uint32_t>(b[2]) << 16;
      uint32_t hash = (key * 2654435761u) >> 20;
      chain_[p - start] = head[hash];
      head[hash] = static_cast<int32_t>(p);
    }
    size_t pos = start;
    for (size_t k = 0; k < originalCount; ++k) {
      original_[pos - start] = original[k];
      pos += original[k].Length;
    }
    trees_.emplace_back(new LzhufDecoder);
    CopyTree(trees_[0].get(), tree);
  }

  bool Run(uint64_t startBits, std::vector<Token>* path) {
    // Raise the number of allowed non-default choices until a parse is found, the steps run out,
    // or a round was not cut short by the limit (then every parse has been tried).
    for (int discrepancies = 0; budget_ > 0; ++discrepancies) {
      path_.clear();
      limited_ = false;
      if (Search(0, start_, startBits, startBits, discrepancies)) {
        *path = path_;
        return true;
      }
      if (!limited_) break;
    }
    return false;
  }

 private:
  const std::vector<Token>& Options(size_t i) {
    size_t slot = i - start_;
    if (known_[slot]) return options_[slot];
    known_[slot] = true;
    std::vector<Token>& options = options_[slot];

    size_t left = size_ - i;
    int limit = left < kLzhufMaxMatch ? static_cast<int>(left) : kLzhufMaxMatch;
    uint16_t nearest[kLzhufMaxMatch + 1] = {};
    int longest = kLzhufMinMatch - 1;
    int classLength[6] = {};
    uint16_t classDistance[6] = {};
    if (limit >= kLzhufMinMatch) {
      size_t here = kWindowPrefix + i;
      for (int32_t p = chain_[here - chainBase_]; p >= 0;
           p = chain_[static_cast<size_t>(p) - chainBase_]) {
        size_t distance = here - static_cast<size_t>(p);
        if (distance > kLzhufRingSize) break;
        int d = static_cast<int>(distance);
        int c = OffsetClass(d - 1);
        if (classLength[c] == limit) continue;
        int n = MatchLength(window_, i, d, limit);
        for (; longest < n; ++longest) nearest[longest + 1] = static_cast<uint16_t>(d);
        if (n >= kLzhufMinMatch && n > classLength[c]) {
          classLength[c] = n;
          classDistance[c] = static_cast<uint16_t>(d);
        }
      }
    }
    auto add = [&options](Token t) {
      for (const Token& o : options) {
        if (o.Length == t.Length && o.Distance == t.Distance) return;
      }
      options.push_back(t);
    };
    auto longestAt = [&nearest](int length) {
      return Token{static_cast<uint16_t>(length), nearest[length]};
    };
    if (left >= kLzhufMinMatch && static_cast<int>(left) <= longest) {
      add(longestAt(static_cast<int>(left)));
    }
    if (original_[slot].Length != 0) add(original_[slot]);
    if (longest >= kLzhufMinMatch) add(longestAt(longest));
    add(Token{1, 0});
    for (int length = longest - 1; length >= kLzhufMinMatch; --length) add(longestAt(length));
    for (int c = 0; c < 6; ++c) {
      if (classLength[c] >= kLzhufMinMatch) {
        add(Token{static_cast<uint16_t>(classLength[c]), classDistance[c]});
      }
    }
    return options;
  }

  bool Search(size_t depth, size_t i, uint64_t bits, uint64_t lastStart, int discrepancies) {
    if (i == size_) return EndConditionHolds(lastStart, bits);
    if (budget_ <= 0) return false;
    --budget_;
    if (trees_.size() == depth + 1) trees_.emplace_back(new LzhufDecoder);
    const LzhufDecoder* from = trees_[depth].get();
    LzhufDecoder* to = trees_[depth + 1].get();
    const std::vector<Token>& options = Options(i);
    for (size_t k = 0; k < options.size(); ++k) {
      if (k > 0 && discrepancies == 0) {
        limited_ = true;
        break;
      }
      Token token = options[k];
      CopyTree(to, *from);
      int symbol = SymbolOf(window_, i, token);
      uint64_t tokenBits = static_cast<uint64_t>(CodeLength(*to, symbol));
      if (token.Length > 1) tokenBits += static_cast<uint64_t>(OffsetFieldBits(token.Distance - 1));
      LzhufUpdateTree(to, symbol);
      path_.push_back(token);
      if (Search(depth + 1, i + token.Length, bits + tokenBits, bits,
                 k == 0 ? discrepancies : discrepancies - 1)) {
        return true;
      }
      path_.pop_back();
    }
    return false;
  }

  const uint8_t* window_;
  size_t size_;
  size_t start_;
  std::vector<Token> original_;  // by position - start; Length 0 where no original token starts
  std::vector<int32_t> chain_;   // by window position - chainBase_: the previous one of equal hash
  size_t chainBase_ = 0;
  std::vector<std::vector<Token>> options_;
  std::vector<bool> known_;
  std::vector<std::unique_ptr<LzhufDecoder>> trees_;  // the tree before the token at each depth
  std::vector<Token> path_;
  long budget_ = 50000;
  bool limited_ = false;  // whether the last round left out a choice for want of discrepancies
};

// A parse of data[start..size) that ends with a match, which always meets the end condition:
// the original tokens that end before the match, literals up to it, then the longest match of
// the input's last bytes (at the nearest distance). Returns false when the last three bytes occur
// nowhere in the dictionary.
bool FinalMatchParse(const uint8_t* window, size_t size, size_t start, const Token* original,
                     size_t originalCount, std::vector<Token>* path) {
  size_t room = size - start < kLzhufMaxMatch ? size - start : size_t{kLzhufMaxMatch};
  if (room < kLzhufMinMatch) return false;
  // The bytes that end the input equal those a distance before them for as many positions as
  // the two agree when compared backwards from the end.
  const uint8_t* end = window + kWindowPrefix + size;
  size_t length = 0;
  int distance = 0;
  for (int d = 1; d <= kLzhufRingSize && length < room; ++d) {
    size_t n = 0;
    while (n < room &&
           end[-1 - static_cast<ptrdiff_t>(n)] == end[-1 - static_cast<ptrdiff_t>(n) - d]) {
      ++n;
    }
    if (n > length) {
      length = n;
      distance = d;
    }
  }
  if (length < kLzhufMinMatch) return false;
  size_t matchStart = size - length;
  path->clear();
  size_t pos = start;
  for (size_t k = 0; k < originalCount && pos + original[k].Length <= matchStart; ++k) {
    path->push_back(original[k]);
    pos += original[k].Length;
  }
  for (; pos < matchStart; ++pos) path->push_back(Token{1, 0});
  path->push_back(Token{static_cast<uint16_t>(length), static_cast<uint16_t>(distance)});
  return true;
}

// How far back the end search may reach, in tokens and bytes.
const size_t kTailTokens = 256;
const size_t kTailBytes = 1024;

}  // namespace

int OffsetFieldBits(int offset) { return OffsetCodes().Length[offset >> 6] + 6; }

void SymbolCodeLengths(const LzhufDecoder& tree, int lengths[kLzhufSymbolCount]) {
  int depth[kLzhufTreeSize];
  depth[kLzhufRoot] = 0;
  // Parents lie above their children, so one downward sweep reaches every node.
  for (int p = kLzhufRoot; p >= 0; --p) {
    int32_t c = tree.Child[p];
    if (c >= kLzhufTreeSize) {
      lengths[c - kLzhufTreeSize] = depth[p];
    } else {
      depth[c] = depth[c + 1] = depth[p] + 1;
    }
  }
}

void InitTreeRecord(LzhufDecoder* tree) {
  memset(tree, 0, sizeof *tree);
  LzhufInitTree(tree);
}

bool EmitItem(const uint8_t* window, size_t size, std::vector<Token>* tokens,
              std::vector<uint8_t>* item) {
  std::unique_ptr<LzhufDecoder> tree(new LzhufDecoder);
  InitTreeRecord(tree.get());
  BitWriter writer(item);

  size_t tailIndex = tokens->size();
  size_t tailPos = size;
  while (tailIndex > 0 && tokens->size() - tailIndex < kTailTokens && size - tailPos < kTailBytes) {
    --tailIndex;
    tailPos -= (*tokens)[tailIndex].Length;
  }

  std::unique_ptr<LzhufDecoder> tailTree(new LzhufDecoder);
  uint64_t tailBits = 0;
  uint64_t lastStart = 0;
  size_t pos = 0;
  for (size_t k = 0; k < tokens->size(); ++k) {
    if (k == tailIndex) {
      CopyTree(tailTree.get(), *tree);
      tailBits = writer.Position();
    }
    lastStart = writer.Position();
    PutToken(&writer, tree.get(), window, pos, (*tokens)[k]);
    pos += (*tokens)[k].Length;
  }
  if (pos != size || tokens->empty()) {
    item->clear();
    return false;
  }
  if (EndConditionHolds(lastStart, writer.Position())) {
    writer.Finish();
    return true;
  }

  const Token* original = tokens->data() + tailIndex;
  size_t originalCount = tokens->size() - tailIndex;
  std::vector<Token> tail;
  TailSearch search(window, size, tailPos, original, originalCount, *tailTree);
  if (!search.Run(tailBits, &tail) &&
      !FinalMatchParse(window, size, tailPos, original, originalCount, &tail)) {
    item->clear();
    return false;
  }
  writer.Truncate(tailBits);
  tokens->resize(tailIndex);
  pos = tailPos;
  for (Token token : tail) {
    lastStart = writer.Position();
    PutToken(&writer, tailTree.get(), window, pos, token);
    tokens->push_back(token);
    pos += token.Length;
  }
  if (pos != size || !EndConditionHolds(lastStart, writer.Position())) {
    item->clear();
    return false;
  }
  writer.Finish();
  return true;
}

}  // namespace lzhuf_pack
