// Writing a parse as an item: symbol codes from the adaptive tree (kept in step with the
// decoder's by its own update and rebuild), offset fields, and the end condition.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "payload/lzhuf_decoder.h"
#include "tools/lzhuf-pack/lzhuf_match_window.h"

namespace lzhuf_pack {

// Bits of the offset field for offset 0..4095 (prefix code of the upper 6 bits plus 6 bits).
int OffsetFieldBits(int offset);

// Code length of each symbol in the tree's current state.
void SymbolCodeLengths(const LzhufDecoder& tree, int lengths[kLzhufSymbolCount]);

// A tree in its start state (the rest of the record is unused).
void InitTreeRecord(LzhufDecoder* tree);

// Writes the tokens, which must cover data[0..size) (size >= 1), as one item. The decoder stops
// after the first symbol that takes a bit from the item's last byte, so the final symbol has to
// reach into a byte of its own; when the given parse ends otherwise, its last bytes are parsed
// anew until one ending does, and tokens is changed to the parse written. Returns false only when
// no parse of the tail that was tried meets that condition (then item is left empty).
bool EmitItem(const uint8_t* window, size_t size, std::vector<Token>* tokens,
              std::vector<uint8_t>* item);

}  // namespace lzhuf_pack
