// The member names of a cabinet exactly as stored. libarchive drops a name it cannot convert
// from UTF-8, and gcab flags even CP932 names as UTF-8, so the engine reads such a name's
// bytes itself and decodes them as it decodes every other name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

/// The names of the file table of the cabinet at `offset` in `path`, in table order;
/// empty when the header or table cannot be read.
std::vector<std::string> ReadCabNames(const std::string& path, std::uint64_t offset);

}  // namespace engine
