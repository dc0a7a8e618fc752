#include "arj_window.h"

#include "arj_crc32.h"

namespace arj {

Window::Window(const Sink& sink, std::uint64_t total) : sink_(sink), total_(total), ring_(kSize) {}

bool Window::Drain(std::string& error) {
  if (pos_ > flushed_) {
    crc_ = Crc32(ring_.data() + flushed_, pos_ - flushed_, crc_);
    if (!sink_(ring_.data() + flushed_, pos_ - flushed_)) {
      error = "extraction stopped by the caller";
      return false;
    }
  }
  flushed_ = pos_;
  if (pos_ == kSize) pos_ = flushed_ = 0;
  return true;
}

bool Window::Literal(std::uint8_t byte, std::string& error) {
  ring_[pos_++] = byte;
  ++written_;
  return pos_ < kSize || Drain(error);
}

bool Window::Copy(std::uint32_t distance, std::uint32_t length, std::string& error) {
  if (distance >= kSize || distance >= written_) {
    error = "corrupt data: a reference reaches before the start of the data";
    return false;
  }
  if (length > Remaining()) {
    error = "corrupt data: a match runs past the declared size";
    return false;
  }
  std::size_t from = (pos_ + kSize - distance - 1) % kSize;
  for (std::uint32_t i = 0; i < length; ++i) {
    ring_[pos_++] = ring_[from];
    from = from + 1 == kSize ? 0 : from + 1;
    ++written_;
    if (pos_ == kSize && !Drain(error)) return false;
  }
  return true;
}

bool Window::Flush(std::string& error) { return Drain(error); }

}  // namespace arj
