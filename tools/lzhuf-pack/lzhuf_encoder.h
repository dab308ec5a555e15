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
// (and leaves item empty) only when size is 0, which cannot be an item.
bool LzhufEncode(const uint8_t* data, size_t size, LzhufParse parse, std::vector<uint8_t>* item);
