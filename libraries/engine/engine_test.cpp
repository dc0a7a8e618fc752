// The engine end to end: real archives from tests/fixtures (see their README for recipes),
// RAR archives from the test RAR writer, and tars written here with libarchive for the
// hostile cases that need an exact shape.
#include "engine.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rarwriter.h"

namespace fs = std::filesystem;

namespace {

using engine::Command;
using engine::Format;
using engine::Request;
using engine::Result;
using engine::Stage;

std::string Fixture(const std::string& rel) {
  const char* dir = std::getenv("PUKONPA_SOURCE_DIR");
  return std::string(dir ? dir : PUKONPA_SOURCE_DIR_DEFAULT) + "/tests/fixtures/" + rel;
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/engine_test.XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

// Every entry below `dir`, relative, sorted; folders end in "/", links in "@".
std::vector<std::string> Tree(const std::string& dir) {
  std::vector<std::string> out;
  if (!fs::exists(dir)) return out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    std::string rel = e.path().lexically_relative(dir).string();
    if (e.is_symlink()) {
      rel += "@";
    } else if (e.is_directory()) {
      rel += "/";
    }
    out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The common member set of the fixtures.
std::string Readme() {
  std::string s;
  for (int i = 1; i <= 40; ++i) {
    s += "line " + std::to_string(i) +
         ": the quick brown fox jumps over the lazy dog, pukonpa fixture text.\n";
  }
  return s;
}
const std::string kHyouji = "表示のテスト。ぷこんぱ\n表示のテスト。ぷこんぱ\n";
const std::string kNouryoku = "能力のテスト\n";

Result Extract(const std::string& archive, const std::string& dest, bool overwrite = false,
               Format format = Format::Unknown, const engine::ProgressFn& progress = {}) {
  Request r;
  r.archive = archive;
  r.destDir = dest;
  r.overwrite = overwrite;
  r.format = format;
  return engine::Run(r, progress);
}

// A tar written with libarchive, for shapes no tool makes on purpose.
struct TarEntry {
  std::string name;
  char type;  // f file, d folder, l symlink, h hard link, p FIFO
  std::string data;
  std::string link;
  unsigned mode;
};
TarEntry File(std::string name, std::string data, unsigned mode = 0644) {
  return {std::move(name), 'f', std::move(data), "", mode};
}
TarEntry Dir(std::string name, unsigned mode = 0755) { return {std::move(name), 'd', "", "", mode}; }
TarEntry Link(std::string name, std::string target) {
  return {std::move(name), 'l', "", std::move(target), 0777};
}
TarEntry Hard(std::string name, std::string target) {
  return {std::move(name), 'h', "", std::move(target), 0644};
}
TarEntry Fifo(std::string name) { return {std::move(name), 'p', "", "", 0644}; }

void WriteTar(const std::string& path, const std::vector<TarEntry>& entries) {
  struct archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const TarEntry& t : entries) {
    struct archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, t.name.c_str());
    archive_entry_set_mtime(e, 1704164645, 0);
    archive_entry_set_perm(e, t.mode);
    switch (t.type) {
      case 'd': archive_entry_set_filetype(e, AE_IFDIR); break;
      case 'l':
        archive_entry_set_filetype(e, AE_IFLNK);
        archive_entry_set_symlink(e, t.link.c_str());
        break;
      case 'h':
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_hardlink(e, t.link.c_str());
        break;
      case 'p': archive_entry_set_filetype(e, AE_IFIFO); break;
      default:
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_size(e, static_cast<la_int64_t>(t.data.size()));
    }
    archive_write_header(a, e);
    if (!t.data.empty()) archive_write_data(a, t.data.data(), t.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

void ExpectCommonSet(const std::string& dir) {
  EXPECT_TRUE(ReadFile(dir + "/readme.txt") == Readme()) << dir;
  EXPECT_EQ(ReadFile(dir + "/表示.txt"), kHyouji);
  EXPECT_EQ(ReadFile(dir + "/ソフト/能力.txt"), kNouryoku);
}

// ---- Families ---------------------------------------------------------------------------

struct FamilyCase {
  const char* fixture;
  Format probe;
};

class FamilyTest : public testing::TestWithParam<FamilyCase> {};

TEST_P(FamilyTest, ExtractsTheCommonSetWithDecodedNames) {
  const FamilyCase& c = GetParam();
  TempDir t;
  const std::string archive = Fixture(c.fixture);
  EXPECT_EQ(engine::Probe(archive), c.probe);
  const Result r = Extract(archive, t.path(), false, c.probe);
  EXPECT_EQ(r.code, engine::kOk) << r.text;
  EXPECT_GE(r.extracted, 3u) << r.text;
  EXPECT_EQ(r.failed, 0u) << r.text;
  ExpectCommonSet(t.path());
  // Times come back from the archive (2024-01-02, give or take the DOS two seconds).
  struct stat st;
  ASSERT_EQ(stat((t / "readme.txt").c_str(), &st), 0);
  EXPECT_NEAR(static_cast<double>(st.st_mtime), 1704164645.0, 2.0 + 9 * 3600);
  // Nothing temporary is left.
  for (const std::string& e : Tree(t.path())) EXPECT_EQ(e.find(".pukonpa"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, FamilyTest,
    testing::Values(FamilyCase{"lzh/lh5_level0.lzh", Format::Lha},
                    FamilyCase{"lzh/lh5_level1.lzh", Format::Lha},
                    FamilyCase{"lzh/lh5_level2.lzh", Format::Lha},
                    FamilyCase{"lzh/lh0_level2.lzh", Format::Lha},
                    FamilyCase{"lzh/lh6_level1.lzh", Format::Lha},
                    FamilyCase{"lzh/lh7_level2.lzh", Format::Lha},
                    FamilyCase{"zip/cp932_deflate.zip", Format::Zip},
                    FamilyCase{"zip/cp932_stored.zip", Format::Zip},
                    FamilyCase{"zip/cp932_backslash.zip", Format::Zip},
                    FamilyCase{"zip/zip64.zip", Format::Zip},
                    FamilyCase{"zip/utf8_noflag.zip", Format::Zip},
                    FamilyCase{"zip/utf8_flag_7zz.zip", Format::Zip},
                    FamilyCase{"cab/mszip_cp932.cab", Format::Cab},
                    FamilyCase{"cab/stored_cp932.cab", Format::Cab},
                    FamilyCase{"cab/mszip_utf8.cab", Format::Cab},
                    FamilyCase{"tar/utf8.tar", Format::Tar},
                    FamilyCase{"tar/cp932.tar", Format::Tar},
                    FamilyCase{"tar/utf8.tar.gz", Format::Tar},
                    FamilyCase{"tar/utf8.tar.bz2", Format::Tar},
                    FamilyCase{"tar/utf8.tar.xz", Format::Tar},
                    FamilyCase{"tar/utf8.tar.Z", Format::Tar},
                    FamilyCase{"tar/pax.tgz", Format::Tar},
                    FamilyCase{"arj/method0.arj", Format::Arj},
                    FamilyCase{"arj/method1.arj", Format::Arj},
                    FamilyCase{"arj/method2.arj", Format::Arj},
                    FamilyCase{"arj/method3.arj", Format::Arj},
                    FamilyCase{"arj/method4.arj", Format::Arj}),
    [](const testing::TestParamInfo<FamilyCase>& info) {
      std::string name = info.param.fixture;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

// RAR v4 (legacy CP932 name, or the unicode field) and v5, stored, as libarchive reads them.
TEST(EngineRar, ExtractsVersion4And5WithDecodedNames) {
  const std::string sjHyouji = "\x95\x5c\x8e\xa6.txt";
  const std::vector<rarwriter::Entry> v4 = {
      {"readme.txt", "", Readme(), false},
      {sjHyouji, "", kHyouji, false},
      {"\x83\x5c\x83\x74\x83\x67\\\x94\x5c\x97\xcd.txt", "ソフト/能力.txt", kNouryoku, false}};
  std::vector<rarwriter::Entry> v5 = {{"readme.txt", "", Readme(), false},
                                      {"表示.txt", "", kHyouji, false},
                                      {"ソフト/能力.txt", "", kNouryoku, false}};
  for (const std::string& data : {rarwriter::WriteRar4(v4), rarwriter::WriteRar5(v5)}) {
    TempDir t;
    WriteFile(t / "a.rar", data);
    EXPECT_EQ(engine::Probe(t / "a.rar"), Format::Rar);
    const Result r = Extract(t / "a.rar", t / "out", false, Format::Rar);
    EXPECT_EQ(r.code, engine::kOk) << r.text;
    ExpectCommonSet(t / "out");
  }
}

TEST(EngineFamilies, SingleCompressedFileIsNamedAfterTheArchive) {
  for (const char* fixture : {"tar/readme.txt.gz", "tar/readme.txt.bz2"}) {
    TempDir t;
    EXPECT_EQ(engine::Probe(Fixture(fixture)), Format::Compressed) << fixture;
    const Result r = Extract(Fixture(fixture), t.path());
    EXPECT_EQ(r.code, engine::kOk) << r.text;
    EXPECT_EQ(Tree(t.path()), std::vector<std::string>{"readme.txt"});
    EXPECT_TRUE(ReadFile(t / "readme.txt") == Readme());
  }
}

TEST(EngineFamilies, RequestedFormatRestrictsTheReaders) {
  TempDir t;
  // The LHA library reads LHA only.
  EXPECT_EQ(Extract(Fixture("zip/cp932_deflate.zip"), t.path(), false, Format::Lha).code,
            engine::kErrOpen);
  EXPECT_EQ(Extract(Fixture("tar/utf8.tar.gz"), t.path(), false, Format::Zip).code,
            engine::kErrOpen);
  // A plain file is no archive, even to the reader of single compressed files.
  WriteFile(t / "plain.txt", "just text\n");
  EXPECT_EQ(Extract(t / "plain.txt", t / "out").code, engine::kErrOpen);
  EXPECT_EQ(Extract(t / "missing.lzh", t / "out").code, engine::kErrOpen);
  EXPECT_EQ(Tree(t.path()), std::vector<std::string>{"plain.txt"});
}

TEST(EngineFamilies, WithoutFoldersEveryFileLandsInTheDestination) {
  TempDir t;
  Request r;
  r.archive = Fixture("lzh/lh5_level0.lzh");
  r.destDir = t.path();
  r.useFolders = false;
  const Result res = engine::Run(r);
  EXPECT_EQ(res.code, engine::kOk) << res.text;
  EXPECT_EQ(Tree(t.path()), (std::vector<std::string>{"readme.txt", "能力.txt", "表示.txt"}));
}

// An encrypted member is not ours to open: it is reported as not supported, not as broken.
TEST(EngineFamilies, EncryptedMembersAreReportedAsNotSupported) {
  TempDir t;
  struct archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  ASSERT_EQ(archive_write_set_options(a, "zip:encryption=zipcrypt"), ARCHIVE_OK);
  archive_write_set_passphrase(a, "secret");
  ASSERT_EQ(archive_write_open_filename(a, (t / "enc.zip").c_str()), ARCHIVE_OK);
  struct archive_entry* e = archive_entry_new();
  archive_entry_set_pathname(e, "hidden.txt");
  archive_entry_set_filetype(e, AE_IFREG);
  archive_entry_set_perm(e, 0644);
  archive_entry_set_size(e, 7);
  archive_write_header(a, e);
  archive_write_data(a, "hidden\n", 7);
  archive_entry_free(e);
  archive_write_close(a);
  archive_write_free(a);
  const Result r = Extract(t / "enc.zip", t / "out");
  EXPECT_EQ(r.code, engine::kErrNotSupported) << r.text;
  EXPECT_EQ(r.failed, 1u);
  EXPECT_EQ(Tree(t / "out"), std::vector<std::string>{});
}

// A self-extracting file: an executable stub with the archive appended. The stub is larger
// than libarchive's own search reaches and holds the signatures a real one carries as data.
TEST(EngineFamilies, FindsTheArchiveInsideASelfExtractingExe) {
  TempDir t;
  std::string stub = "MZ";
  stub.resize(200 * 1024, '\x90');
  stub.replace(1000, 7, std::string("Rar!\x1a\x07\x00", 7));
  stub.replace(2000, 7, "xx-lh5-");
  stub.replace(3000, 8, std::string("MSCF\0\0\0\0", 8));
  const std::vector<rarwriter::Entry> members = {{"readme.txt", "", Readme(), false},
                                                 {"表示.txt", "", kHyouji, false},
                                                 {"ソフト/能力.txt", "", kNouryoku, false}};
  struct Case {
    const char* name;
    std::string archive;
    Format format;
  };
  const Case cases[] = {
      {"lzh.exe", ReadFile(Fixture("lzh/lh5_level2.lzh")), Format::Lha},
      {"lzh0.exe", ReadFile(Fixture("lzh/lh5_level0.lzh")), Format::Lha},
      {"cab.exe", ReadFile(Fixture("cab/mszip_cp932.cab")), Format::Cab},
      {"zip.exe", ReadFile(Fixture("zip/cp932_deflate.zip")), Format::Zip},
      {"arj.exe", ReadFile(Fixture("arj/method1.arj")), Format::Arj},
      {"rar4.exe", rarwriter::WriteRar4(members), Format::Rar},
      {"rar5.exe", rarwriter::WriteRar5(members), Format::Rar},
  };
  for (const Case& c : cases) {
    WriteFile(t / c.name, stub + c.archive);
    EXPECT_EQ(engine::Probe(t / c.name), c.format) << c.name;
    const std::string out = t / (std::string(c.name) + ".d");
    const Result r = Extract(t / c.name, out);
    EXPECT_EQ(r.code, engine::kOk) << c.name << ": " << r.text;
    ExpectCommonSet(out);
  }
  WriteFile(t / "plain.exe", stub);
  EXPECT_EQ(engine::Probe(t / "plain.exe"), Format::Unknown);
  EXPECT_EQ(Extract(t / "plain.exe", t / "plain").code, engine::kErrOpen);
}

// ---- Names -------------------------------------------------------------------------------

// A ZIP whose raw name is Latin-1 "caf\xe9.txt" (no UTF-8 flag) with a Unicode-path extra
// field saying "café.txt". Made with Python's zipfile (name "XXXX.txt", extra 0x7075 =
// version 1, CRC-32 of the raw name, UTF-8 name), then the raw name bytes patched in.
const char kUnicodePathZip[] =
    "\x50\x4b\x03\x04\x14\x00\x00\x00\x00\x00\x00\x00\x21\x00\x83\x16\xdc\x8c\x01\x00\x00\x00\x01\x00"
    "\x00\x00\x08\x00\x12\x00\x63\x61\x66\xe9\x2e\x74\x78\x74\x75\x70\x0e\x00\x01\xd3\x28\x75\x4e\x63"
    "\x61\x66\xc3\xa9\x2e\x74\x78\x74\x78\x50\x4b\x01\x02\x14\x03\x14\x00\x00\x00\x00\x00\x00\x00\x21"
    "\x00\x83\x16\xdc\x8c\x01\x00\x00\x00\x01\x00\x00\x00\x08\x00\x12\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x80\x01\x00\x00\x00\x00\x63\x61\x66\xe9\x2e\x74\x78\x74\x75\x70\x0e\x00\x01\xd3\x28\x75\x4e"
    "\x63\x61\x66\xc3\xa9\x2e\x74\x78\x74\x50\x4b\x05\x06\x00\x00\x00\x00\x01\x00\x01\x00\x48\x00\x00"
    "\x00\x39\x00\x00\x00\x00\x00";

TEST(EngineNames, ZipUnicodePathFieldComesBeforeTheRawName) {
  TempDir t;
  WriteFile(t / "u.zip", std::string(kUnicodePathZip, sizeof kUnicodePathZip - 1));
  const Result r = Extract(t / "u.zip", t / "out");
  EXPECT_EQ(r.code, engine::kOk) << r.text;
  EXPECT_EQ(Tree(t / "out"), std::vector<std::string>{"café.txt"});
}

TEST(EngineNames, UndecodableNamesAreEscapedNotDropped) {
  TempDir t;
  WriteTar(t / "odd.tar", {File("\xff\xfe.txt", "a"), File("tab\tname", "b"),
                           File("\x95\x5c\x8e\xa6\\\x94\x5c\x97\xcd.txt", "c")});
  const Result r = Extract(t / "odd.tar", t / "out");
  EXPECT_EQ(r.code, engine::kOk) << r.text;
  EXPECT_EQ(Tree(t / "out"),
            (std::vector<std::string>{"%FF%FE.txt", "tab%09name", "表示/", "表示/能力.txt"}));
}

// gcab flags CP932 names as UTF-8; libarchive then loses them. Made from the fixture whose
// flags were cleared, by setting the flag (0x80 in the attributes before each name) again.
TEST(EngineNames, CabinetNamesFalselyFlaggedUtf8AreStillDecoded) {
  TempDir t;
  std::string cab = ReadFile(Fixture("cab/stored_cp932.cab"));
  for (const std::string& name : {std::string("\x95\x5c\x8e\xa6.txt"),
                                  std::string("\x83\x5c\x83\x74\x83\x67\\\x94\x5c\x97\xcd.txt")}) {
    const std::size_t at = cab.find(name + '\0');
    ASSERT_NE(at, std::string::npos);
    cab[at - 2] = static_cast<char>(cab[at - 2] | 0x80);
  }
  WriteFile(t / "flagged.cab", cab);
  const Result r = Extract(t / "flagged.cab", t / "out");
  EXPECT_EQ(r.code, engine::kOk) << r.text;
  ExpectCommonSet(t / "out");
}

// Stored LZH members built here, for name encodings jlha does not write: level 0 with raw
// name bytes, level 2 with UTF-16 name (0x44) and folder (0x45) extended headers.
std::uint16_t Crc16(const std::string& data) {
  std::uint16_t crc = 0;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}
std::string Le(std::uint32_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}
std::string LzhLevel0(const std::string& name, const std::string& data) {
  const std::string body = "-lh0-" + Le(data.size(), 4) + Le(data.size(), 4) + Le(0x58221882, 4) +
                           "\x20" + std::string(1, '\0') + static_cast<char>(name.size()) + name +
                           Le(Crc16(data), 2);
  unsigned sum = 0;
  for (unsigned char c : body) sum += c;
  return static_cast<char>(body.size()) + std::string(1, static_cast<char>(sum & 0xFF)) + body + data;
}
std::string Utf16(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += Le(c, 2);
  return out;
}
std::string LzhLevel2Unicode(const std::u16string& name, const std::u16string& folder,
                             const std::string& data) {
  auto ext = [](int type, const std::string& d) { return Le(3 + d.size(), 2) + static_cast<char>(type) + d; };
  const std::string base = "-lh0-" + Le(data.size(), 4) + Le(data.size(), 4) + Le(1704164645, 4) +
                           "\x20\x02" + Le(Crc16(data), 2) + "W";
  std::string exts = ext(0x00, Le(0, 2)) + ext(0x44, Utf16(name));
  if (!folder.empty()) exts += ext(0x45, Utf16(folder));
  std::string header = Le(0, 2) + base + exts + Le(0, 2);
  header.replace(0, 2, Le(header.size(), 2));
  header.replace(2 + base.size() + 3, 2, Le(Crc16(header), 2));  // the header's own CRC
  return header + data;
}

TEST(EngineNames, LhaNamesInCp932Utf8OrUnicodeHeaders) {
  TempDir t;
  WriteFile(t / "cp932.lzh", LzhLevel0("\x95\x5c\x8e\xa6.txt", "a") +
                                 LzhLevel0("\x83\x5c\x83\x74\x83\x67\\\x94\x5c\x97\xcd.txt", "b") +
                                 std::string(1, '\0'));
  WriteFile(t / "utf8.lzh", LzhLevel0("表示.txt", "a") + LzhLevel0("ソフト\\能力.txt", "b") +
                                std::string(1, '\0'));
  WriteFile(t / "utf16.lzh", LzhLevel2Unicode(u"表示.txt", u"", "a") +
                                 LzhLevel2Unicode(u"能力.txt", u"ソフト/", "b") +
                                 LzhLevel2Unicode(u"café.txt", u"", "c") + std::string(1, '\0'));
  for (const char* archive : {"cp932.lzh", "utf8.lzh"}) {
    const Result r = Extract(t / archive, t / (std::string(archive) + ".d"));
    EXPECT_EQ(r.code, engine::kOk) << archive << ": " << r.text;
    EXPECT_EQ(Tree(t / (std::string(archive) + ".d")),
              (std::vector<std::string>{"ソフト/", "ソフト/能力.txt", "表示.txt"})) << archive;
  }
  const Result r = Extract(t / "utf16.lzh", t / "utf16");
  EXPECT_EQ(r.code, engine::kOk) << r.text;
  EXPECT_EQ(Tree(t / "utf16"),
            (std::vector<std::string>{"café.txt", "ソフト/", "ソフト/能力.txt", "表示.txt"}));
}

// ---- Listing, testing, patterns ---------------------------------------------------------

TEST(EngineList, PatternsSelectByNameLastComponentOrFolder) {
  struct Case {
    std::vector<std::string> patterns;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {{}, {"readme.txt", "表示.txt", "ソフト/能力.txt"}},
      {{"*.txt"}, {"readme.txt", "表示.txt", "ソフト/能力.txt"}},
      {{"能力.txt"}, {"ソフト/能力.txt"}},
      {{"ソフト\\*"}, {"ソフト/能力.txt"}},
      {{"ソフト"}, {"ソフト/能力.txt"}},
      {{"r?adme.txt", "表?.txt"}, {"readme.txt", "表示.txt"}},
      {{"nothing"}, {}},
  };
  for (const Case& c : cases) {
    Request r;
    r.command = Command::List;
    r.archive = Fixture("lzh/lh5_level2.lzh");
    r.patterns = c.patterns;
    const Result res = engine::Run(r);
    EXPECT_EQ(res.code, engine::kOk);
    std::vector<std::string> names;
    for (const engine::Item& item : res.items) names.push_back(item.name);
    EXPECT_EQ(names, c.names) << (c.patterns.empty() ? "" : c.patterns[0]);
  }
}

TEST(EngineList, ReportsSizesAndFolders) {
  Request r;
  r.command = Command::List;
  r.archive = Fixture("tar/utf8.tar");
  const Result res = engine::Run(r);
  ASSERT_EQ(res.code, engine::kOk);
  bool sawFolder = false;
  for (const engine::Item& item : res.items) {
    if (item.name == "readme.txt") {
      EXPECT_EQ(item.size, Readme().size());
    }
    if (item.name == "ソフト") sawFolder = item.isDirectory;
  }
  EXPECT_TRUE(sawFolder);
}

TEST(EngineTest, ChecksEveryItemAndWritesNothing) {
  TempDir t;
  struct Case {
    const char* fixture;
    int code;
  };
  for (const Case& c : {Case{"lzh/lh6_level1.lzh", engine::kOk},
                        Case{"hostile/crc_error.lzh", engine::kErrCrc},
                        Case{"hostile/crc_error.zip", engine::kErrCrc},
                        Case{"hostile/truncated.zip", engine::kErrFormat}}) {
    Request r;
    r.command = Command::Test;
    r.archive = Fixture(c.fixture);
    r.destDir = t.path();
    const Result res = engine::Run(r);
    EXPECT_EQ(res.code, c.code) << c.fixture << ": " << res.text;
  }
  EXPECT_TRUE(Tree(t.path()).empty());
}

// ---- Safety -----------------------------------------------------------------------------

struct HostileCase {
  const char* fixture;
  int code;
  std::vector<std::string> tree;  // what the destination holds afterwards
};

TEST(EngineSafety, HostileFixturesStayInsideAndLeaveNoBrokenFiles) {
  const std::vector<HostileCase> cases = {
      {"hostile/dotdot.zip", engine::kErrUnsafe, {"ok.txt"}},
      {"hostile/backslash.zip", engine::kErrUnsafe, {"ok.txt"}},
      {"hostile/dotdot.tar", engine::kErrUnsafe, {}},
      {"hostile/dotdot.lzh", engine::kErrUnsafe, {}},
      // Absolute names are taken as relative to the destination.
      {"hostile/absolute.zip", engine::kOk, {"ok.txt", "tmp/", "tmp/evil.txt"}},
      {"hostile/absolute.tar", engine::kOk, {"ok.txt", "tmp/", "tmp/evil.txt"}},
      // The link that leads out is skipped; the file "through" it becomes a plain folder.
      {"hostile/symlink_dotdot.tar", engine::kErrUnsafe, {"ok.txt", "up/", "up/evil.txt"}},
      {"hostile/symlink_abs.tar", engine::kErrUnsafe, {"ok.txt", "root/", "root/evil.txt"}},
      {"hostile/symlink.zip", engine::kErrUnsafe, {"ok.txt", "up/", "up/evil.txt"}},
      {"hostile/devices.tar", engine::kErrUnsafe, {"ok.txt"}},
      // Broken data: the complete members stay, the broken one leaves nothing.
      {"hostile/truncated.zip", engine::kErrFormat, {"readme.txt"}},
      {"hostile/truncated.lzh", engine::kErrFormat, {}},
      {"hostile/truncated.tar.gz", engine::kErrFormat, {}},
      {"hostile/crc_error.zip", engine::kErrCrc, {"ソフト/", "ソフト/能力.txt", "表示.txt"}},
      {"hostile/crc_error.lzh", engine::kErrCrc, {"ソフト/", "ソフト/能力.txt", "表示.txt"}},
      {"hostile/size_beyond.zip", engine::kErrFormat, {}},
  };
  for (const HostileCase& c : cases) {
    TempDir t;
    const Result r = Extract(Fixture(c.fixture), t / "dest");
    EXPECT_EQ(r.code, c.code) << c.fixture << ": " << r.text;
    EXPECT_FALSE(r.text.empty());
    for (const std::string& e : Tree(t.path())) {
      EXPECT_EQ(e.rfind("dest/", 0), 0u) << c.fixture << " wrote outside: " << e;
    }
    EXPECT_EQ(Tree(t / "dest"), c.tree) << c.fixture;
  }
}

TEST(EngineSafety, SetIdBitsAreDroppedAndOwnerMayReadAndWrite) {
  TempDir t;
  WriteTar(t / "modes.tar", {File("ro.txt", "x", 0444), File("none.txt", "x", 0), File("wo.txt", "x", 0200),
                             Dir("ro_dir", 0555), File("ro_dir/in.txt", "x")});
  const Result res = Extract(Fixture("hostile/setuid.tar"), t / "out");
  EXPECT_EQ(res.code, engine::kOk) << res.text;
  EXPECT_EQ(Extract(t / "modes.tar", t / "out").code, engine::kOk);
  const mode_t mask = umask(022);
  umask(mask);
  struct Case {
    const char* name;
    mode_t mode;
  };
  for (const Case& c : {Case{"setuid.sh", 0755}, Case{"setgid.sh", 0755}, Case{"ro.txt", 0644},
                        Case{"none.txt", 0644},  // no mode stored: the usual one
                        Case{"wo.txt", 0600}, Case{"ro_dir", 0755}}) {
    struct stat st;
    ASSERT_EQ(lstat((t / "out/" + c.name).c_str(), &st), 0) << c.name;
    EXPECT_EQ(st.st_mode & 07777, c.mode & ~mask) << c.name;
  }
}

TEST(EngineSafety, LinksAreKeptOnlyInsideAndNeverWrittenThrough) {
  TempDir t;
  WriteFile(t / "secret", "outside\n");
  WriteTar(t / "links.tar",
           {Dir("sub"), File("sub/file.txt", "inside\n"),
            Link("sub/up", ".."),              // stays inside: kept
            Link("sub/sibling", "file.txt"),   // kept
            Link("sub/out", "../.."),          // leads out
            Link("abs", "/etc/passwd"),        // absolute
            Link("tricky", "sub/up/../.."),    // ".." after a name that is a link
            Link("in", "sub"),                 // kept, then written through:
            File("in/evil.txt", "evil\n"),
            Hard("hard", "../secret"),         // hard link to a file outside
            Hard("hard2", "./sub/file.txt"),   // hard link to an extracted file: kept
            Fifo("fifo")});
  const Result r = Extract(t / "links.tar", t / "dest");
  EXPECT_EQ(r.code, engine::kErrUnsafe) << r.text;
  EXPECT_EQ(Tree(t / "dest"),
            (std::vector<std::string>{"hard2", "in@", "sub/", "sub/file.txt", "sub/sibling@",
                                      "sub/up@"}));
  EXPECT_EQ(ReadFile(t / "dest/hard2"), "inside\n");
  EXPECT_EQ(ReadFile(t / "secret"), "outside\n");
  EXPECT_FALSE(fs::exists(t / "dest/sub/evil.txt"));
}

TEST(EngineSafety, AnExistingLinkInTheDestinationIsNeverFollowed) {
  TempDir t;
  WriteFile(t / "outside.txt", "precious\n");
  fs::create_directories(t / "dest");
  fs::create_symlink(t / "outside.txt", t / "dest/readme.txt");
  fs::create_directory(t / "elsewhere");
  fs::create_directory_symlink(t / "elsewhere", t / "dest/ソフト");
  for (bool overwrite : {false, true}) {
    const Result r = Extract(Fixture("lzh/lh5_level1.lzh"), t / "dest", overwrite);
    EXPECT_NE(r.code, engine::kOk);
    EXPECT_EQ(ReadFile(t / "outside.txt"), "precious\n");
    EXPECT_TRUE(fs::is_empty(t / "elsewhere"));
  }
  // With overwrite the link itself was replaced by the extracted file.
  EXPECT_FALSE(fs::is_symlink(t / "dest/readme.txt"));
  EXPECT_TRUE(ReadFile(t / "dest/readme.txt") == Readme());
}

// ---- Existing files ---------------------------------------------------------------------

TEST(EngineExisting, IdenticalIsSkippedDifferentIsRenamedOverwriteReplaces) {
  TempDir t;
  const std::string archive = Fixture("zip/cp932_deflate.zip");
  ASSERT_EQ(Extract(archive, t.path()).code, engine::kOk);

  Result r = Extract(archive, t.path());
  EXPECT_EQ(r.code, engine::kWarnSkipped) << r.text;
  EXPECT_EQ(r.skipped, 3u);
  EXPECT_NE(r.text.find("readme.txt"), std::string::npos);

  WriteFile(t / "readme.txt", "mine\n");
  r = Extract(archive, t.path());
  EXPECT_EQ(r.code, engine::kWarnRenamed) << r.text;
  EXPECT_EQ(r.renamed, 1u);
  EXPECT_EQ(r.skipped, 2u);
  EXPECT_NE(r.text.find("readme (2).txt"), std::string::npos);
  EXPECT_EQ(ReadFile(t / "readme.txt"), "mine\n");
  EXPECT_TRUE(ReadFile(t / "readme (2).txt") == Readme());

  // Once more: the renamed copy is found identical instead of making "readme (3).txt".
  r = Extract(archive, t.path());
  EXPECT_EQ(r.code, engine::kWarnSkipped) << r.text;
  EXPECT_FALSE(fs::exists(t / "readme (3).txt"));

  r = Extract(archive, t.path(), true);
  EXPECT_EQ(r.code, engine::kOk) << r.text;
  EXPECT_TRUE(ReadFile(t / "readme.txt") == Readme());
}

TEST(EngineExisting, AHardLinkIsSkippedOrReplacedLikeItsTarget) {
  TempDir t;
  WriteTar(t / "hard.tar", {File("a.txt", "same\n"), Hard("b.txt", "a.txt")});
  ASSERT_EQ(Extract(t / "hard.tar", t / "dest").code, engine::kOk);

  // The target is left as identical, so the link to it is too.
  Result r = Extract(t / "hard.tar", t / "dest");
  EXPECT_EQ(r.code, engine::kWarnSkipped) << r.text;
  EXPECT_EQ(r.skipped, 2u);

  // With overwrite the link is replaced, never placed beside as "b (2).txt".
  r = Extract(t / "hard.tar", t / "dest", true);
  EXPECT_EQ(r.code, engine::kOk) << r.text;
  EXPECT_EQ(Tree(t / "dest"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_TRUE(fs::equivalent(t / "dest/a.txt", t / "dest/b.txt"));
}

// ---- Full disk and abort ----------------------------------------------------------------

// Runs `body` in a child process and returns its exit status; the child may change limits.
template <typename F>
int InChild(F body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EngineFailure, AFullDiskStopsAndLeavesNoPartialFile) {
  TempDir t;
  fs::create_directories(t / "dest");
  WriteFile(t / "dest/keep.txt", "keep\n");
  WriteTar(t / "big.tar", {File("small.txt", "small\n"), File("big.bin", std::string(300000, 'b')),
                           File("after.txt", "after\n")});
  // A file-size limit makes writes past it fail with EFBIG, as a full disk fails them.
  const int code = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit = {100000, 100000};
    setrlimit(RLIMIT_FSIZE, &limit);
    const Result r = Extract(t / "big.tar", t / "dest");
    return r.code == engine::kErrWrite ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Tree(t / "dest"), (std::vector<std::string>{"keep.txt", "small.txt"}));
  EXPECT_EQ(ReadFile(t / "dest/keep.txt"), "keep\n");
}

TEST(EngineFailure, AbortFromProgressLeavesNoPartialFile) {
  TempDir t;
  WriteTar(t / "big.tar", {File("first.txt", "first\n"), File("big.bin", std::string(3 << 20, 'b')),
                           File("last.txt", "last\n")});
  std::vector<std::uint64_t> progress;
  std::vector<Stage> stages;
  const Result r = Extract(t / "big.tar", t / "dest", false, Format::Unknown,
                           [&](Stage stage, const engine::Item& item, std::uint64_t written,
                               const std::string&) {
                             stages.push_back(stage);
                             if (stage != Stage::Progress) return true;
                             EXPECT_EQ(item.name, "big.bin");
                             progress.push_back(written);
                             return progress.size() < 2;  // stop at the second report
                           });
  EXPECT_EQ(r.code, engine::kErrAborted) << r.text;
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_GE(progress[1] - progress[0], 1u << 20);
  EXPECT_EQ(Tree(t / "dest"), std::vector<std::string>{"first.txt"});
  EXPECT_EQ(stages.front(), Stage::Open);
  EXPECT_EQ(stages.back(), Stage::Finished);
}

TEST(EngineFailure, ProgressSeesEachItemBeginAndEndWithItsDestination) {
  TempDir t;
  std::vector<std::string> seen;
  const Result r = Extract(Fixture("cab/mszip_cp932.cab"), t.path(), false, Format::Cab,
                           [&](Stage stage, const engine::Item& item, std::uint64_t,
                               const std::string& dest) {
                             if (stage == Stage::Begin) seen.push_back("B " + item.name);
                             if (stage == Stage::End) seen.push_back("E " + dest);
                             return true;
                           });
  EXPECT_EQ(r.code, engine::kOk);
  EXPECT_EQ(seen, (std::vector<std::string>{"B readme.txt", "E " + t / "readme.txt",
                                            "B 表示.txt", "E " + t / "表示.txt",
                                            "B ソフト/能力.txt", "E " + t / "ソフト/能力.txt"}));
}

// ARJ through our own reader: a damaged member fails alone, a cut archive stops the work.
TEST(EngineSafety, DamagedArjKeepsTheSoundMembers) {
  TempDir t;
  std::string data = ReadFile(Fixture("arj/method0.arj"));  // stored: text is visible
  std::string crc = data;
  const std::size_t at = crc.find("line 1:");
  ASSERT_NE(at, std::string::npos);
  crc[at] = 'L';
  WriteFile(t / "crc.arj", crc);
  WriteFile(t / "cut.arj", data.substr(0, at + 100));
  Result r = Extract(t / "crc.arj", t / "crc");
  EXPECT_EQ(r.code, engine::kErrCrc) << r.text;
  EXPECT_EQ(r.failed, 1u);
  EXPECT_FALSE(fs::exists(t / "crc/readme.txt"));
  EXPECT_EQ(ReadFile(t / "crc/表示.txt"), kHyouji);
  r = Extract(t / "cut.arj", t / "cut");
  EXPECT_EQ(r.code, engine::kErrFormat) << r.text;
  EXPECT_FALSE(fs::exists(t / "cut/readme.txt"));
}

// ---- Probe ------------------------------------------------------------------------------

TEST(EngineProbe, AnswersFromTheFirstBytes) {
  TempDir t;
  WriteFile(t / "text.lzh", "not an archive at all\n");
  WriteFile(t / "empty", "");
  EXPECT_EQ(engine::Probe(t / "text.lzh"), Format::Unknown);
  EXPECT_EQ(engine::Probe(t / "empty"), Format::Unknown);
  EXPECT_EQ(engine::Probe(t / "missing"), Format::Unknown);
  EXPECT_EQ(engine::Probe(t.path()), Format::Unknown);
  EXPECT_EQ(engine::Probe(Fixture("arj/method1.arj")), Format::Arj);
}

}  // namespace
