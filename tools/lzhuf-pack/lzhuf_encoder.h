// Build-time LZHUF compressor: writes items that the installer's decoder restores exactly.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

enum class LzhufParse {
  Greedy,   // longest match at each position, nearest offset among equals
  Default,  // the best parse the packer knows; never larger than Greedy
};

// What the parse of an encoded item consists of.
struct LzhufEncodeStats {
  long Literals = 0;
  long Matches = 0;
  int LongestCode = 0;  // bits of the longest symbol code written
  long Rebuilds = 0;    // rebuilds of the adaptive tree while the item was written
};

// Compresses data[0..size) into one item that meets the decoder's end condition: the item's last
// byte must hold bits of the final symbol and of no earlier one. Returns false (and leaves item
// empty) when size is 0, which cannot be an item, when size exceeds kLzhufEncodeMaxSize, or when
// no parse that the packer tries meets the end condition. A final match always meets it, so the
// last case needs input whose last three bytes occur nowhere earlier in the dictionary and whose
// parse near the end is (almost) fixed; some such inputs have no valid item at all: "eee" can
// only be three literals, and the third one's code is too short to reach into a byte of its own.
// With stats, also reports on the parse of the item.
bool LzhufEncode(const uint8_t* data, size_t size, LzhufParse parse, std::vector<uint8_t>* item,
                 LzhufEncodeStats* stats = nullptr);

// The largest input LzhufEncode accepts.
const size_t kLzhufEncodeMaxSize = size_t{1} << 30;

// Decodes item with the installer's decoder, reading pieces of 256 bytes, into out. An item must
// hold at least one byte; returns false for an empty one.
bool LzhufDecodeItem(const uint8_t* item, size_t itemSize, std::vector<uint8_t>* out);
