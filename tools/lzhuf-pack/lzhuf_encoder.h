// Build-time LZHUF compressor: writes items that the installer's decoder restores exactly.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

enum class LzhufParse {
  Greedy,   // longest match at each position, nearest offset among equals
  Default,  // the best parse the packer knows; never larger than Greedy
};

// Compresses data[0..size) into one item that meets the decoder's end condition. Returns false
// (and leaves item empty) when size is 0, which cannot be an item, when size exceeds
// kLzhufEncodeMaxSize, or when no parse of the input's last bytes that the packer tries lets the
// final symbol reach into a byte of its own. The last can happen only for inputs with (almost)
// no repeats near their end, whose parse is (almost) fixed, such as a frequent byte after a run
// of unrepeated ones; the decoder could not restore such an item's final symbol.
bool LzhufEncode(const uint8_t* data, size_t size, LzhufParse parse, std::vector<uint8_t>* item);

// The largest input LzhufEncode accepts.
const size_t kLzhufEncodeMaxSize = size_t{1} << 30;

// Decodes item with the installer's decoder, reading pieces of 256 bytes, into out. An item must
// hold at least one byte; returns false for an empty one.
bool LzhufDecodeItem(const uint8_t* item, size_t itemSize, std::vector<uint8_t>* out);
