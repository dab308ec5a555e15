// The packer's bit writer: items are written most significant bit first, as the decoder reads
// them. The packer and its tests write items with it.
#pragma once

#include <stdint.h>

#include <vector>

namespace lzhuf_pack {

// Collects bits most significant first; whole bytes go to the output as they fill.
class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>* out) : out_(out) { out_->clear(); }

  uint64_t Position() const { return bits_; }

  // count is 0..32
  void PutBits(uint32_t value, int count) {
    pending_ = pending_ << count | value;
    pendingCount_ += count;
    bits_ += static_cast<uint64_t>(count);
    while (pendingCount_ >= 8) {
      pendingCount_ -= 8;
      out_->push_back(static_cast<uint8_t>(pending_ >> pendingCount_));
    }
  }

  // Writes the last, partial byte, filled up with zero bits.
  void Finish() {
    if (pendingCount_ > 0) {
      out_->push_back(static_cast<uint8_t>(pending_ << (8 - pendingCount_)));
      pendingCount_ = 0;
    }
  }

  // Drops every bit from position on (position must not lie after the bits written).
  void Truncate(uint64_t position) {
    Finish();
    out_->resize(static_cast<size_t>((position + 7) / 8));
    pendingCount_ = static_cast<int>(position & 7);
    if (pendingCount_ != 0) {
      pending_ = static_cast<uint64_t>(out_->back() >> (8 - pendingCount_));
      out_->pop_back();
    }
    bits_ = position;
  }

 private:
  std::vector<uint8_t>* out_;
  uint64_t pending_ = 0;  // the low pendingCount_ bits are not yet in out_
  int pendingCount_ = 0;
  uint64_t bits_ = 0;
};

}  // namespace lzhuf_pack
