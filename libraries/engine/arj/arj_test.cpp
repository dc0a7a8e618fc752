// The ARJ reader on archives made by arj 3.10 (tests/fixtures/arj, recipes in its README),
// read from memory, and on damaged copies of them that must fail cleanly.
#include "arj_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "arj_crc32.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes LoadFixture(const std::string& name) {
  std::ifstream f(std::string(ARJ_FIXTURES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(f) << name;
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

// A source over `data` that hands out at most `chunk` bytes per call.
arj::ReadFn MemorySource(const Bytes& data, std::size_t chunk = 1 << 20) {
  auto pos = std::make_shared<std::size_t>(0);
  return [&data, pos, chunk](void* buf, std::size_t len) {
    std::size_t n = std::min({len, chunk, data.size() - *pos});
    if (n) std::memcpy(buf, data.data() + *pos, n);
    *pos += n;
    return n;
  };
}

struct Outcome {
  bool ok = false;
  std::string error;
  std::map<std::string, std::string> files;  // raw name -> content
  std::map<std::string, arj::Header> headers;
};

// Opens, lists and extracts every member, stopping at the first failure.
Outcome ReadAll(const Bytes& data, std::size_t chunk = 1 << 20) {
  Outcome out;
  arj::Reader reader(MemorySource(data, chunk));
  if (!reader.Open(out.error)) return out;
  for (;;) {
    arj::Header h;
    bool end = false;
    if (!reader.Next(h, end, out.error)) return out;
    if (end) break;
    std::string content;
    if (!reader.Extract([&](const std::uint8_t* p, std::size_t n) {
          content.append(reinterpret_cast<const char*>(p), n);
          return true;
        }, out.error))
      return out;
    out.files[h.rawName] = content;
    out.headers[h.rawName] = h;
  }
  out.ok = true;
  return out;
}

const std::string kHyouji = "\x95\x5c\x8e\xa6.txt";                              // 表示.txt
const std::string kNouryoku = "\x83\x5c\x83\x74\x83\x67/\x94\x5c\x97\xcd.txt";  // ソフト/能力.txt

std::string ReadmeText() {
  std::string s;
  for (int i = 1; i <= 40; ++i)
    s += "line " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog, pukonpa fixture text.\n";
  return s;
}

const char* const kFixtures[] = {"method0.arj", "method1.arj", "method2.arj", "method3.arj",
                                 "method4.arj"};

TEST(ArjReader, DecodesEveryMethodOfRealArchives) {
  std::string window;  // window.txt as methods 1-4 decode it; all must agree
  for (int m = 0; m <= 4; ++m) {
    Bytes data = LoadFixture(kFixtures[m]);
    // Whole buffers, odd-sized pieces and single bytes must all read the same.
    for (std::size_t chunk : {std::size_t{1} << 20, std::size_t{7}, std::size_t{1}}) {
      SCOPED_TRACE(std::string(kFixtures[m]) + " chunk " + std::to_string(chunk));
      Outcome r = ReadAll(data, chunk);
      ASSERT_TRUE(r.ok) << r.error;
      EXPECT_EQ(r.files.size(), m == 0 ? 3u : 4u);
      EXPECT_EQ(r.files["readme.txt"], ReadmeText());
      EXPECT_EQ(r.headers["readme.txt"].method, m);
      EXPECT_EQ(r.headers["readme.txt"].originalSize, ReadmeText().size());
      EXPECT_EQ(r.headers["readme.txt"].hostOS, 2);  // Unix
      EXPECT_EQ(arj::ModifiedTime(r.headers["readme.txt"]), 1704164645);  // 2024-01-02 03:04:05 UTC
      EXPECT_EQ(r.files[kHyouji], "表示のテスト。ぷこんぱ\n表示のテスト。ぷこんぱ\n");
      EXPECT_EQ(r.files[kNouryoku], "能力のテスト\n");  // name with "/" and 0x5C trail bytes
      if (m == 0) continue;
      const std::string& w = r.files["window.txt"];
      ASSERT_EQ(w.size(), 30000u);
      // Its first 2000 bytes come again 26000 bytes later: a reference near the window's end.
      EXPECT_EQ(w.substr(26000, 2000), w.substr(0, 2000));
      if (window.empty()) window = w;
      EXPECT_EQ(w, window);
    }
  }
}

TEST(ArjReader, ModifiedTimeReadsDosTimesOfOtherHosts) {
  setenv("TZ", "UTC", 1);
  tzset();
  arj::Header h;
  h.dosTime = 0x58221882;  // 2024-01-02 03:04:04
  for (std::uint8_t host : {0, 11}) {  // MS-DOS, Windows
    h.hostOS = host;
    EXPECT_EQ(arj::ModifiedTime(h), 1704164644);
  }
}

TEST(ArjReader, FindsTheMainHeaderPastAStubAndProbes) {
  Bytes arc = LoadFixture("method1.arj");
  // A stub with decoy signatures: a bare one, and one with a plausible size but no valid CRC.
  Bytes stub(5000, 'M');
  stub[100] = 0x60, stub[101] = 0xEA;
  stub[300] = 0x60, stub[301] = 0xEA, stub[302] = 40, stub[303] = 0;
  Bytes sfx = stub;
  sfx.insert(sfx.end(), arc.begin(), arc.end());
  Outcome r = ReadAll(sfx, 333);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.files.size(), 4u);

  EXPECT_TRUE(arj::LooksLikeArj(arc.data(), arc.size()));
  EXPECT_TRUE(arj::LooksLikeArj(sfx.data(), sfx.size()));
  EXPECT_FALSE(arj::LooksLikeArj(stub.data(), stub.size()));
  EXPECT_FALSE(arj::LooksLikeArj(arc.data(), 40));  // main header not complete
  EXPECT_FALSE(arj::LooksLikeArj(nullptr, 0));
  // A signature in the last bytes of the source: nothing to read behind it.
  for (Bytes tail : {Bytes{'x', 'x', 'x', 'x', 0x60, 0xEA}, Bytes{'x', 0x60}, Bytes{0x60, 0xEA, 40}}) {
    Outcome r = ReadAll(tail, 3);
    EXPECT_FALSE(r.ok);
  }
  Outcome none = ReadAll(stub);
  EXPECT_FALSE(none.ok);
  EXPECT_NE(none.error.find("no main header"), std::string::npos) << none.error;
}

TEST(ArjReader, ListsWithoutExtractingAndSurvivesAStoppedSink) {
  Bytes data = LoadFixture("method4.arj");
  arj::Reader reader(MemorySource(data, 100));
  std::string error;
  ASSERT_TRUE(reader.Open(error)) << error;
  std::vector<std::string> names;
  for (;;) {
    arj::Header h;
    bool end = false;
    ASSERT_TRUE(reader.Next(h, end, error)) << error;
    if (end) break;
    names.push_back(h.rawName);
    if (h.rawName == "window.txt") {  // stop it after the first piece; the next header must still read
      std::size_t got = 0;
      EXPECT_FALSE(reader.Extract([&](const std::uint8_t*, std::size_t n) { got += n; return false; }, error));
      EXPECT_GT(got, 0u);
      EXPECT_LT(got, 30000u);
    }
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"readme.txt", "window.txt", kNouryoku, kHyouji}));
}

// Where a member's header starts and where its data starts (past the name, an empty
// comment, the header CRC and the empty extended-header list).
struct Place {
  std::size_t header, data;
};
Place Locate(const Bytes& data, const std::string& name) {
  std::string s(data.begin(), data.end());
  std::size_t at = s.find(name + std::string(1, '\0'));
  EXPECT_NE(at, std::string::npos) << name;
  return {s.rfind("\x60\xEA", at), at + name.size() + 2 + 4 + 2};
}

TEST(ArjReader, DamagedArchivesFailWithAReason) {
  Bytes stored = LoadFixture("method0.arj");
  Bytes packed = LoadFixture("method1.arj");
  Place readme = Locate(stored, "readme.txt");
  Place window = Locate(packed, "window.txt");
  struct Case {
    const char* label;
    Bytes data;
    std::size_t at;   // byte to change
    std::uint8_t to;
    const char* error;  // part of the expected message
  };
  const Case cases[] = {
      {"stored data byte", stored, readme.data, 'L', "CRC error"},
      {"compressed data byte", packed, window.data + 100, 0x00, ""},
      {"local header field", stored, readme.header + 20, 0x7F, "header CRC"},
      {"local header size beyond 2600", stored, readme.header + 3, 0x0B, "too large"},
      {"local header signature", stored, readme.header, 0x61, "signature"},
      {"main header byte", stored, 10, 0x00, "no main header"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Bytes bad = c.data;
    ASSERT_LT(c.at, bad.size());
    ASSERT_NE(bad[c.at], c.to);
    bad[c.at] = c.to;
    Outcome r = ReadAll(bad);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
  }
}

// Positions to damage: every byte near the ends (headers, the first and last codes), every
// 11th in between, which keeps the test quick in debug builds.
std::vector<std::size_t> Positions(std::size_t size) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < size; i += (i < 300 || i + 300 > size) ? 1 : 11) at.push_back(i);
  return at;
}

// Prefixes of every fixture must fail (the end marker is gone), never crash or hang.
TEST(ArjReader, EveryTruncationFails) {
  for (const char* name : kFixtures) {
    Bytes data = LoadFixture(name);
    for (std::size_t len : Positions(data.size())) {
      Bytes cut(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(len));
      Outcome r = ReadAll(cut, 512);
      ASSERT_FALSE(r.ok) << name << " cut at " << len;
      ASSERT_FALSE(r.error.empty());
    }
  }
}

// Flipping any one bit never yields success with wrong content.
TEST(ArjReader, SingleBitFlipsNeverPassWrongData) {
  for (const char* name : {"method0.arj", "method2.arj", "method4.arj"}) {
    Bytes data = LoadFixture(name);
    Outcome good = ReadAll(data);
    ASSERT_TRUE(good.ok);
    for (std::size_t i : Positions(data.size())) {
      Bytes bad = data;
      bad[i] ^= static_cast<std::uint8_t>(1u << (i % 8));
      Outcome r = ReadAll(bad);
      if (r.ok) EXPECT_EQ(r.files, good.files) << name << " byte " << i;
      else EXPECT_FALSE(r.error.empty());
    }
  }
}

// A valid header in front of random "compressed" data: each decoder must fail cleanly
// (or, by chance, decode something whose CRC then fails), whatever size the header claims.
Bytes ArchiveWithMember(std::uint8_t method, const Bytes& payload, std::uint32_t originalSize) {
  auto header = [](std::uint8_t fileType, std::uint8_t method, std::uint32_t csize,
                   std::uint32_t osize, const std::string& name) {
    Bytes b(30, 0);
    b[0] = 30, b[1] = 11, b[2] = 1, b[3] = 2, b[5] = method, b[6] = fileType;
    for (int k = 0; k < 4; ++k) {
      b[12 + k] = static_cast<std::uint8_t>(csize >> (8 * k));
      b[16 + k] = static_cast<std::uint8_t>(osize >> (8 * k));
      b[20 + k] = 0x5A;  // a CRC random data will not meet
    }
    b.insert(b.end(), name.begin(), name.end());
    b.push_back(0);
    b.push_back(0);  // empty comment
    Bytes out = {0x60, 0xEA, static_cast<std::uint8_t>(b.size()), static_cast<std::uint8_t>(b.size() >> 8)};
    out.insert(out.end(), b.begin(), b.end());
    std::uint32_t crc = arj::Crc32(b.data(), b.size());
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(crc >> (8 * k)));
    out.push_back(0), out.push_back(0);  // no extended headers
    return out;
  };
  Bytes arc = header(2, 0, 0, 0, "x.arj");
  Bytes member = header(0, method, static_cast<std::uint32_t>(payload.size()), originalSize, "f");
  arc.insert(arc.end(), member.begin(), member.end());
  arc.insert(arc.end(), payload.begin(), payload.end());
  arc.insert(arc.end(), {0x60, 0xEA, 0, 0});
  return arc;
}

TEST(ArjReader, RandomDataBehindValidHeadersFailsCleanly) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; ++round) {
    Bytes payload(1 + rng() % 600);
    for (auto& b : payload) b = static_cast<std::uint8_t>(rng());
    // Biased streams too: mostly zero or mostly one bits reach the rarely taken paths.
    if (round % 3 == 1) for (auto& b : payload) b &= static_cast<std::uint8_t>(rng());
    if (round % 3 == 2) for (auto& b : payload) b |= static_cast<std::uint8_t>(rng());
    std::uint8_t method = static_cast<std::uint8_t>(1 + round % 4);
    std::uint32_t size = round % 5 == 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rng() % 100000);
    Outcome r = ReadAll(ArchiveWithMember(method, payload, size));
    EXPECT_FALSE(r.ok) << "round " << round;
    EXPECT_FALSE(r.error.empty());
  }
}

}  // namespace
