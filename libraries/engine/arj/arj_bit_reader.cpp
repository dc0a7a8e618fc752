#include "arj_bit_reader.h"

#include <algorithm>

namespace arj {

BitReader::BitReader(Pull pull, std::uint64_t limit)
    : pull_(std::move(pull)), remaining_(limit), buffer_(16384) {}

void BitReader::Fill() {
  while (count_ <= 48) {
    if (pos_ == end_ && !sourceDone_) {
      pos_ = end_ = 0;
      if (remaining_ > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, buffer_.size()));
        end_ = pull_(buffer_.data(), want);
        remaining_ -= end_;
      }
      if (end_ == 0) sourceDone_ = true;
    }
    std::uint8_t byte = 0;  // zero padding past the end of the data
    if (pos_ < end_) {
      byte = buffer_[pos_++];
      available_ += 8;
    }
    bits_ = (bits_ << 8) | byte;
    count_ += 8;
  }
}

}  // namespace arj
