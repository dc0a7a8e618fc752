#include "libraries/frontends/syntax.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace frontends {
namespace {

using Strings = std::vector<std::string>;

struct Case {
  Family family;
  std::string line;
  Action action;
  std::string archive;
  std::string destDir;
  Strings patterns;
  Strings excludes;
  bool useFolders;
  bool overwrite;
};

// The lines exactly as the drivers build them (native paths), and the request each means.
const Case kCases[] = {
    // LHA and ARJ: the tool's own call with and without an owner window, and the defaults.
    {Family::Lha, R"(x -+ -n1 -x1  "/DATA/PACK.LZH" "/DATA/" )", Action::Extract,
     "/DATA/PACK.LZH", "/DATA/", {}, {}, true, false},
    {Family::Lha, R"(x -+ -n0 -x1  "/DATA/PACK.LZH" "/DATA/" )", Action::Extract,
     "/DATA/PACK.LZH", "/DATA/", {}, {}, true, false},
    {Family::Lha, R"(x -+  "/DATA/PACK.LZH" "/DATA/" )", Action::Extract, "/DATA/PACK.LZH",
     "/DATA/", {}, {}, true, false},
    {Family::Lha, R"(x -+ "-w/WORK/" "-jo" "-jx*.BAK" "-jx*.TMP"  "/DATA/PACK.LZH" "/DATA/" )",
     Action::Extract, "/DATA/PACK.LZH", "/DATA/", {}, {"*.BAK", "*.TMP"}, true, false},
    {Family::Lha, R"(x -+ -c1 -x0  "/d/a b.lzh" "/d/out dir/" "a.txt" "sub/b c.txt" extra.txt)",
     Action::Extract, "/d/a b.lzh", "/d/out dir/", {"a.txt", "sub/b c.txt", "extra.txt"}, {},
     false, true},
    {Family::Lha, R"(x -+ -x -c0  "/d/a.lzh" "-n.txt")", Action::Extract, "/d/a.lzh", "",
     {"-n.txt"}, {}, true, false},
    {Family::Lha, R"(e -+  "/d/a.lzh" "/d/" )", Action::Extract, "/d/a.lzh", "/d/", {}, {},
     false, false},
    {Family::Lha, R"(t -+  "/d/a.lzh" )", Action::Test, "/d/a.lzh", "", {}, {}, true, false},
    {Family::Lha, R"(l "/d/a.lzh" "*.txt")", Action::List, "/d/a.lzh", "", {"*.txt"}, {}, true,
     false},
    {Family::Lha, R"(u -+  "/DATA/NEW.LZH" "/SRC/" "A.TXT" "B.TXT" )", Action::NotSupported,
     "/DATA/NEW.LZH", "/SRC/", {"A.TXT", "B.TXT"}, {}, true, false},
    {Family::Lha, R"(d -+  "/DATA/PACK.LZH" "A.TXT" )", Action::NotSupported, "/DATA/PACK.LZH",
     "", {"A.TXT"}, {}, true, false},
    {Family::Lha, R"(f -+  "/DATA/PACK.LZH" "/DATA/" )", Action::NotSupported,
     "/DATA/PACK.LZH", "/DATA/", {}, {}, true, false},
    {Family::Lha, R"(s -+  "/DATA/PACK.LZH" "/DATA/" )", Action::NotSupported,
     "/DATA/PACK.LZH", "/DATA/", {}, {}, true, false},
    // Every switch of the option record, in its order, as the LHA builder writes them.
    {Family::Lha,
     "x -+ -a0 -c2 -e1 -f1 -h1 -i1 -l1 -m1 -n1 -o1 -p1 -r2 -s1 -t1 -u1 \"-w/tmp/\" -x1 -y1 "
     "-z1 -jc1 -jd1 -je1 -jf1 -jh1 -ji1 -jm9 -jn1 \"-joTMP\" \"-jobBAK\" -jp1 -jr1 -jss1 -jw1 "
     "\"-jx*.o\" -jyc-1 -jyd1 -jyk1 -jyn1 -jyo1 \"-jz \" -ga1 -gd1 -ge1 -gf1 -gj1 -gm1 -gn1 "
     "-go1 -gp1 \"-grX\" -gs1 -gu1 -gw-2  \"/a.lzh\" \"/o/\" -- -x0 ",
     Action::Extract, "/a.lzh", "/o/", {"-x0"}, {"*.o"}, true, true},
    {Family::Arj, R"(x -+ -n1  "/work/sample.arj" "/work/out/" )", Action::Extract,
     "/work/sample.arj", "/work/out/", {}, {}, true, false},
    {Family::Arj, R"(x -+ -n0 -x1  "/work/sample.arj" "/work/out/" )", Action::Extract,
     "/work/sample.arj", "/work/out/", {}, {}, true, false},

    // ZIP: the command is the first dash switch; names arrive through the "[" filter.
    {Family::Zip, R"(-x  "/Data/sample.zip" "/Data/" )", Action::Extract, "/Data/sample.zip",
     "/Data/", {}, {}, true, false},
    {Family::Zip, R"(-x --i  "/Data/sample.zip" "/Data/" )", Action::Extract,
     "/Data/sample.zip", "/Data/", {}, {}, true, false},
    {Family::Zip, R"(-x -o --i -j  "/d/a.zip" "/d/" "dir/[[]a].txt" )", Action::Extract,
     "/d/a.zip", "/d/", {"dir/[[]a].txt"}, {}, false, true},
    {Family::Zip, R"(-t "/d/a.zip")", Action::Test, "/d/a.zip", "", {}, {}, true, false},

    // CAB.
    {Family::Cab, R"(-x  "/Data/sample.cab" "/Data/" )", Action::Extract, "/Data/sample.cab",
     "/Data/", {}, {}, true, false},
    {Family::Cab, R"(-x -i  "/Data/sample.cab" "/Data/" )", Action::Extract,
     "/Data/sample.cab", "/Data/", {}, {}, true, false},
    {Family::Cab, R"(-x -o -i -r -j -q  "/d/a.cab" "/d/" "x[1].txt" )", Action::Extract,
     "/d/a.cab", "/d/", {"x[1].txt"}, {}, false, true},
    {Family::Cab, R"(-a  "/d/new.cab" "a.txt" )", Action::NotSupported, "/d/new.cab", "",
     {"a.txt"}, {}, true, false},
    {Family::Cab, R"(-f  "/d/a.cab" "/d/" )", Action::NotSupported, "/d/a.cab", "/d/", {}, {},
     true, false},

    // TAR: archive and folder through -f and -o, each value in its own quotes.
    {Family::Tar, R"(x  -f "/work/sample.tar" -o "/work/out/" )", Action::Extract,
     "/work/sample.tar", "/work/out/", {}, {}, true, false},
    {Family::Tar, R"(x -z  -f "/work/sample.tgz" -o "/work/out/" )", Action::Extract,
     "/work/sample.tgz", "/work/out/", {}, {}, true, false},
    {Family::Tar, R"(x -B  -f "/work/sample.bz2" -o "/work/out/" )", Action::Extract,
     "/work/sample.bz2", "/work/out/", {}, {}, true, false},
    {Family::Tar, R"(x --use-directory=1 -z9  -f "/w/s.tgz" -o "/w/out/" "docs/a.txt" "b.txt" )",
     Action::Extract, "/w/s.tgz", "/w/out/", {"docs/a.txt", "b.txt"}, {}, true, false},
    {Family::Tar,
     "x -AH -I --display-dialog=0 -g --check-all-path=0 --use-directory=0 -B9 --overwrite  "
     R"(-f "/w/s.tbz" -o "/w/o/" )",
     Action::Extract, "/w/s.tbz", "/w/o/", {}, {}, false, true},
    {Family::Tar, R"(x  -f "/w/s.tar" "a.txt")", Action::Extract, "/w/s.tar", "", {"a.txt"}, {},
     true, false},
    {Family::Tar, R"(c -z  -f "/w/new.tgz" -o "/src/" "a.txt" )", Action::NotSupported,
     "/w/new.tgz", "/src/", {"a.txt"}, {}, true, false},

    // RAR: overwriting unless -u.
    {Family::Rar, R"(-x -u  "/work/sample.rar" "/work/out/" )", Action::Extract,
     "/work/sample.rar", "/work/out/", {}, {}, true, false},
    {Family::Rar, R"(-e -u  "/work/sample.rar" "/work/out/" )", Action::Extract,
     "/work/sample.rar", "/work/out/", {}, {}, false, false},
    {Family::Rar, R"(-x -y -s  "/work/sample.rar" "/work/out/" "a.txt" )", Action::Extract,
     "/work/sample.rar", "/work/out/", {"a.txt"}, {}, true, true},
};

TEST(ParseCommandLine, DriverLinesMeanWhatTheySay) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    ParsedCommand cmd = ParseCommandLine(c.family, c.line);
    ASSERT_EQ(cmd.error, "");
    EXPECT_EQ(cmd.action, c.action);
    EXPECT_EQ(cmd.archive, c.archive);
    EXPECT_EQ(cmd.destDir, c.destDir);
    EXPECT_EQ(cmd.patterns, c.patterns);
    EXPECT_EQ(cmd.excludes, c.excludes);
    EXPECT_EQ(cmd.useFolders, c.useFolders);
    EXPECT_EQ(cmd.overwrite, c.overwrite);
    EXPECT_EQ(cmd.bracketClasses, c.family == Family::Zip);
  }
}

TEST(ParseCommandLine, MalformedLinesAreRefusedWithAReason) {
  const struct {
    Family family;
    std::string line;
    std::string reason;
  } cases[] = {
      {Family::Lha, "", "empty"},
      {Family::Lha, "   ", "empty"},
      {Family::Lha, R"(x -+ "/a.lzh)", "unbalanced"},
      {Family::Lha, R"(x -+  )", "no archive"},
      {Family::Lha, R"(x -+ "" "/d/")", "empty archive"},
      {Family::Lha, R"(q "/a.lzh")", "unknown command"},
      {Family::Lha, R"(x -b1 "/a.lzh")", "unknown switch"},
      {Family::Lha, R"(x -x1z "/a.lzh")", "unknown switch"},
      {Family::Arj, R"(xx "/a.arj")", "unknown command"},
      {Family::Zip, R"(x "/a.zip")", "unknown command"},
      {Family::Zip, R"("-x" "/a.zip")", "command must come first"},
      {Family::Zip, R"(-x -o --i)", "no archive"},
      {Family::Zip, R"(-x -k "/a.zip")", "unknown switch"},
      {Family::Cab, R"(-z "/a.cab")", "unknown command"},
      {Family::Tar, R"(x -o "/d/")", "no archive"},
      {Family::Tar, R"(x -f)", "needs a name"},
      {Family::Tar, R"(x --use-directory=yes -f "/a.tar")", "bad value"},
      {Family::Tar, R"(x -q -f "/a.tar")", "unknown switch"},
      {Family::Tar, R"(X -f "/a.tar")", "unknown command"},
      {Family::Rar, R"(-x -k "/a.rar")", "unknown switch"},
      {Family::Rar, R"(-x "/a.rar" "/d/" "@/no/such/list.txt")", "response file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ParsedCommand cmd = ParseCommandLine(c.family, c.line);
    EXPECT_NE(cmd.error.find(c.reason), std::string::npos) << cmd.error;
  }
}

TEST(ParseCommandLine, ResponseFileListsTheMembers) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("pukonpa_syntax_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string list = (dir / "list file.txt").string();
  // As the builder writes it (CR LF), plus a bare LF line and a name with blanks.
  std::ofstream(list, std::ios::binary) << "\"A.TXT\"\r\n\"sub/B C.TXT\"\r\nbare.txt\n\n";
  for (Family family : {Family::Lha, Family::Zip, Family::Cab, Family::Rar}) {
    std::string command = family == Family::Lha ? "x -+" : "-x";
    ParsedCommand cmd =
        ParseCommandLine(family, command + "  \"/a.arc\" \"/d/\" \"@" + list + "\" more.txt");
    ASSERT_EQ(cmd.error, "");
    EXPECT_EQ(cmd.patterns, (Strings{"A.TXT", "sub/B C.TXT", "bare.txt", "more.txt"}));
    EXPECT_EQ(cmd.destDir, "/d/");
  }
  ParsedCommand tar =
      ParseCommandLine(Family::Tar, "x  -f \"/a.tar\" -o \"/d/\" \"@" + list + "\" ");
  ASSERT_EQ(tar.error, "");
  EXPECT_EQ(tar.patterns, (Strings{"A.TXT", "sub/B C.TXT", "bare.txt"}));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace frontends
