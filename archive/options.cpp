#include "archive/options.h"

#include <array>
#include <charconv>

namespace archive {

namespace {

using O = TArchiverOptions;
using K = O::Kind;

constexpr O::Property Sh(const char* name, std::int8_t O::*member) {
  return {name, K::Shortint, member, nullptr, nullptr};
}
constexpr O::Property St(const char* name, K kind, std::string O::*member) {
  return {name, kind, nullptr, member, nullptr};
}

const std::array<O::Property, 58> kProperties{{
    Sh("a", &O::a),     Sh("c", &O::c),     Sh("e", &O::e),
    Sh("f", &O::f),     Sh("h", &O::h),     Sh("i", &O::i),
    Sh("l", &O::l),     Sh("m", &O::m),     Sh("n", &O::n),
    Sh("o", &O::o),     Sh("p", &O::p),     Sh("r", &O::r),
    Sh("s", &O::s),     Sh("t", &O::t),     Sh("u", &O::u),
    St("w", K::Folder, &O::w),
    Sh("x", &O::x),     Sh("y", &O::y),     Sh("z", &O::z),
    Sh("jc", &O::jc),   Sh("jd", &O::jd),   Sh("je", &O::je),
    Sh("jf", &O::jf),   Sh("jh", &O::jh),   Sh("ji", &O::ji),
    Sh("jm", &O::jm),   Sh("jn", &O::jn),
    St("jo", K::Str, &O::jo),
    St("job", K::Str, &O::job),
    Sh("jp", &O::jp),   Sh("jr", &O::jr),   Sh("jss", &O::jss),
    Sh("jw", &O::jw),
    {"jx", K::List, nullptr, nullptr, &O::jx},
    Sh("jyc", &O::jyc), Sh("jyd", &O::jyd), Sh("jyk", &O::jyk),
    Sh("jyn", &O::jyn), Sh("jyo", &O::jyo),
    St("jz", K::Str, &O::jz),
    Sh("ga", &O::ga),   Sh("gd", &O::gd),   Sh("ge", &O::ge),
    Sh("gf", &O::gf),   Sh("gj", &O::gj),   Sh("gm", &O::gm),
    Sh("gn", &O::gn),   Sh("go", &O::go),   Sh("gp", &O::gp),
    St("gr", K::Str, &O::gr),
    Sh("gs", &O::gs),   Sh("gu", &O::gu),   Sh("gw", &O::gw),
    St("UserOptions", K::Text, &O::UserOptions),
    St("UserFileList", K::Text, &O::UserFileList),
    {"PackFilter", K::PackFilter, nullptr, nullptr, nullptr},
    St("ResFileName", K::Text, &O::ResFileName),
    {"ResFileUsage", K::ResFileUsage, nullptr, nullptr, nullptr},
}};

constexpr TResFileUsage kDefaultResFileUsage{ruOnPack, ruOnUnpack, ruOnRemoveItem};

const char* const kPackFilterNames[] = {"pfArchiver", "pfComponent"};
const char* const kResFileUseNames[] = {"ruOnPack", "ruOnUnpack", "ruOnRemoveItem",
                                        "ruOnUpdate"};

// The set as a form file writes it: "[ruOnPack, ruOnUnpack]".
std::string ResFileUsageText(TResFileUsage usage) {
  std::string text = "[";
  for (int m = ruOnPack; m <= ruOnUpdate; ++m) {
    if (!usage.Contains(static_cast<TResFileUse>(m))) continue;
    if (text.size() > 1) text += ", ";
    text += kResFileUseNames[m];
  }
  return text + "]";
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool ParseResFileUsage(std::string_view text, TResFileUsage& usage) {
  text = Trim(text);
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') return false;
  text = text.substr(1, text.size() - 2);
  TResFileUsage result;
  while (!Trim(text).empty()) {
    auto comma = text.find(',');
    std::string_view item = Trim(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    bool known = false;
    for (int m = ruOnPack; m <= ruOnUpdate; ++m) {
      if (item == kResFileUseNames[m]) {
        result.Include(static_cast<TResFileUse>(m));
        known = true;
      }
    }
    if (!known) return false;
  }
  usage = result;
  return true;
}

// A list as stored: every entry followed by a line feed.
std::string ListText(const TStrings& list) {
  std::string text;
  for (const auto& entry : list) text += entry + '\n';
  return text;
}

TStrings ParseList(const std::string& text) {
  TStrings list;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    list.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return list;
}

}  // namespace

TArchiverOptions::TArchiverOptions() { Reset(); }

std::span<const TArchiverOptions::Property> TArchiverOptions::Properties() { return kProperties; }

void TArchiverOptions::Reset() {
  for (const auto& p : kProperties) {
    switch (p.kind) {
      case Kind::Shortint: this->*p.shortint = -1; break;
      case Kind::Folder:
      case Kind::Str: this->*p.str = NoValue; break;
      case Kind::Text: (this->*p.str).clear(); break;
      case Kind::List: (this->*p.list).clear(); break;
      case Kind::PackFilter: PackFilter = pfArchiver; break;
      case Kind::ResFileUsage: ResFileUsage = kDefaultResFileUsage; break;
    }
  }
}

void TArchiverOptions::AssignTo(platform::TPersistent& dest) const {
  auto* d = dynamic_cast<TArchiverOptions*>(&dest);
  if (!d) {
    platform::TPersistent::AssignTo(dest);
    return;
  }
  for (const auto& p : kProperties) {
    switch (p.kind) {
      case Kind::Shortint: d->*p.shortint = this->*p.shortint; break;
      case Kind::Folder:
      case Kind::Str:
      case Kind::Text: d->*p.str = this->*p.str; break;
      // Content only: the destination keeps its own list object.
      case Kind::List: (d->*p.list).assign((this->*p.list).begin(), (this->*p.list).end()); break;
      case Kind::PackFilter: d->PackFilter = PackFilter; break;
      case Kind::ResFileUsage: d->ResFileUsage = ResFileUsage; break;
    }
  }
}

std::vector<std::pair<std::string, std::string>> TArchiverOptions::WriteProperties() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& p : kProperties) {
    switch (p.kind) {
      case Kind::Shortint: {
        std::int8_t v = this->*p.shortint;
        // jyc declares no stored default, so it is written even at -1.
        if (v != -1 || p.shortint == &TArchiverOptions::jyc)
          out.emplace_back(p.name, std::to_string(v));
        break;
      }
      case Kind::Folder:
      case Kind::Str:
        if (this->*p.str != NoValue) out.emplace_back(p.name, this->*p.str);
        break;
      case Kind::Text:
        if (!(this->*p.str).empty()) out.emplace_back(p.name, this->*p.str);
        break;
      case Kind::List:
        if (!(this->*p.list).empty()) out.emplace_back(p.name, ListText(this->*p.list));
        break;
      case Kind::PackFilter:
        if (PackFilter != pfArchiver) out.emplace_back(p.name, kPackFilterNames[PackFilter]);
        break;
      case Kind::ResFileUsage: out.emplace_back(p.name, ResFileUsageText(ResFileUsage)); break;
    }
  }
  return out;
}

bool TArchiverOptions::ReadProperty(const std::string& name, const std::string& value) {
  for (const auto& p : kProperties) {
    if (name != p.name) continue;
    switch (p.kind) {
      case Kind::Shortint: {
        int v = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
        if (ec != std::errc() || end != value.data() + value.size() || v < -128 || v > 127)
          return false;
        this->*p.shortint = static_cast<std::int8_t>(v);
        return true;
      }
      case Kind::Folder:
      case Kind::Str:
      case Kind::Text: this->*p.str = value; return true;
      case Kind::List: this->*p.list = ParseList(value); return true;
      case Kind::PackFilter:
        for (int f = pfArchiver; f <= pfComponent; ++f) {
          if (value == kPackFilterNames[f]) {
            PackFilter = static_cast<TPackFilter>(f);
            return true;
          }
        }
        return false;
      case Kind::ResFileUsage: return ParseResFileUsage(value, ResFileUsage);
    }
  }
  return false;
}

}  // namespace archive
