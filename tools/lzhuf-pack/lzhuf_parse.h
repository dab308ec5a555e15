// Parses of the input into literals and matches.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "tools/lzhuf-pack/lzhuf_match_window.h"

namespace lzhuf_pack {

// Longest match at each position (nearest distance among equal lengths), else a literal.
void ParseGreedy(const uint8_t* window, size_t size, std::vector<Token>* tokens);

// Minimal cost parse by dynamic programming over blocks of the input, with the costs taken from
// the adaptive tree's code lengths at the start of each block.
void ParseOptimal(const uint8_t* window, size_t size, std::vector<Token>* tokens);

}  // namespace lzhuf_pack
