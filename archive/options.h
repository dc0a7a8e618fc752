// TArchiverOptions: the options record of an archive operation, in the vocabulary of the LHA
// library's switches. One property table drives reset, copy, streaming and the LHA driver's
// switch emission, so the 58 properties are listed once.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "archive/archiver_types.h"
#include "platform/classes.h"

namespace archive {

enum TPackFilter : std::uint8_t { pfArchiver, pfComponent };
enum TResFileUse : std::uint8_t { ruOnPack, ruOnUnpack, ruOnRemoveItem, ruOnUpdate };

/// Set of TResFileUse in one byte (bit 1 << member).
class TResFileUsage {
 public:
  constexpr TResFileUsage() = default;
  constexpr TResFileUsage(std::initializer_list<TResFileUse> members) {
    for (auto m : members) bits_ |= static_cast<std::uint8_t>(1u << m);
  }
  constexpr bool Contains(TResFileUse m) const { return bits_ & (1u << m); }
  constexpr void Include(TResFileUse m) { bits_ |= static_cast<std::uint8_t>(1u << m); }
  constexpr void Exclude(TResFileUse m) { bits_ &= static_cast<std::uint8_t>(~(1u << m)); }
  constexpr std::uint8_t Bits() const { return bits_; }
  static constexpr TResFileUsage FromBits(std::uint8_t b) {
    TResFileUsage u;
    u.bits_ = b;
    return u;
  }
  friend constexpr bool operator==(TResFileUsage, TResFileUsage) = default;

 private:
  std::uint8_t bits_ = 0;
};

class TArchiverOptions : public platform::TPersistent {
 public:
  TArchiverOptions();

  /// Every property back to its default; the jx list object stays the same.
  void Reset();

  // Switch properties (Shortint: -1 = absent; strings: NoValue = absent), declaration order.
  std::int8_t a, c, e, f, h, i, l, m, n, o, p, r, s, t, u;
  std::string w;
  std::int8_t x, y, z, jc, jd, je, jf, jh, ji, jm, jn;
  std::string jo, job;
  std::int8_t jp, jr, jss, jw;
  TStrings jx;
  std::int8_t jyc, jyd, jyk, jyn, jyo;
  std::string jz;
  std::int8_t ga, gd, ge, gf, gj, gm, gn, go, gp;
  std::string gr;
  std::int8_t gs, gu, gw;
  std::string UserOptions;
  std::string UserFileList;
  TPackFilter PackFilter;
  std::string ResFileName;
  TResFileUsage ResFileUsage;

  /// Kind of a property in the table. The LHA switches: Shortint -> AddInt, Folder (w) ->
  /// AddDir, Str (jo, job, jz, gr) -> AddStr, List (jx) -> AddFiles; the rest are not switches.
  enum class Kind { Shortint, Folder, Str, List, Text, PackFilter, ResFileUsage };
  struct Property {
    const char* name;
    Kind kind;
    std::int8_t TArchiverOptions::*shortint = nullptr;
    std::string TArchiverOptions::*str = nullptr;  ///< Folder, Str and Text kinds
    TStrings TArchiverOptions::*list = nullptr;
  };
  /// All 58 published properties, in declaration order.
  static std::span<const Property> Properties();

  /// Published properties as a form file stores them: (name, value text) for every property
  /// that differs from its stored default (jyc and ResFileUsage have none and are always
  /// written). Strings are written as their bytes, a list as its entries each ended by "\n".
  std::vector<std::pair<std::string, std::string>> WriteProperties() const;
  /// Sets one property from the text WriteProperties wrote; false for an unknown name or a
  /// value out of range.
  bool ReadProperty(const std::string& name, const std::string& value);

 protected:
  void AssignTo(platform::TPersistent& dest) const override;
};

}  // namespace archive
