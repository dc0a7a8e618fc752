// CRC-32 as ARJ uses it for headers and member data (the zip polynomial, reflected).
#pragma once

#include <cstddef>
#include <cstdint>

namespace arj {

/// CRC-32 of `size` bytes continuing from `crc` (0 to start). A (nullptr, 0) call returns
/// `crc` unchanged, so empty pieces never reset a running value.
std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc = 0);

}  // namespace arj
