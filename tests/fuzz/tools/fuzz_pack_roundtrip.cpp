// Packs arbitrary bytes with both parses and unpacks them with the installer's decoder. Aborts
// when an item does not restore the input, when the default item is larger than the greedy one,
// or when an input that must have an item (its last bytes occur earlier, so it can end in a
// match) gets none.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "tools/lzhuf-pack/lzhuf_encoder.h"

namespace {

// Whether the last three bytes occur in the dictionary (60 zero bytes, 4036 spaces, then the
// input) at a distance of 1..4096, so that they can be the final match.
bool EndsInRepeat(const uint8_t* data, size_t size) {
  if (size < 3) return false;
  std::vector<uint8_t> window(60, 0);
  window.resize(4096, ' ');
  window.insert(window.end(), data, data + size);
  size_t at = window.size() - 3;
  for (size_t distance = 1; distance <= 4096; ++distance) {
    if (std::equal(window.begin() + static_cast<long>(at), window.end(),
                   window.begin() + static_cast<long>(at - distance))) {
      return true;
    }
  }
  return false;
}

void Check(const uint8_t* data, size_t size, const std::vector<uint8_t>& item) {
  std::vector<uint8_t> back;
  if (!LzhufDecodeItem(item.data(), item.size(), &back)) abort();
  if (back.size() != size || !std::equal(back.begin(), back.end(), data)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small inputs: the end of an item is where parses go wrong, and the adaptive tree's updates
  // are slowest while it is young, so larger inputs would only slow the search down.
  if (size == 0 || size > 256) return 0;
  std::vector<uint8_t> greedy;
  std::vector<uint8_t> best;
  bool greedyOk = LzhufEncode(data, size, LzhufParse::Greedy, &greedy);
  bool bestOk = LzhufEncode(data, size, LzhufParse::Default, &best);
  if (greedyOk) Check(data, size, greedy);
  if (bestOk) Check(data, size, best);
  // The default parse falls back on the greedy item, so it packs whatever greedy packs.
  if (greedyOk && (!bestOk || best.size() > greedy.size())) abort();
  if (!bestOk && EndsInRepeat(data, size)) abort();
  return 0;
}
