// The CAB driver against a recording CAB32.DLL.
#include "archive/drivers/cab32.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/recording/recording.h"

namespace archive {
namespace {

class Cab32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    recording::UseFolder("full");
    cab = std::make_unique<TCab32>();
    Rec().Clear();
  }
  void TearDown() override {
    cab.reset();
    Cab32Library().FreeLib();
    recording::UseFolder("full");
  }
  static recording::Client Rec() { return recording::Client(Cab32Library().Handle()); }

  std::unique_ptr<TCab32> cab;
  std::string output = std::string(8, 'x');
};

using Op = std::function<int(TCab32&, TArchiverOptions&, std::string&)>;

TEST_F(Cab32Test, CommandLinesByteForByte) {
  const Op unpack = [](TCab32& d, TArchiverOptions& o, std::string& out) {
    return d.Unpack(0, "/Data/sample.cab", o, "/Data/", nullptr, false, out);
  };
  struct Case {
    const char* what;
    std::function<void(TArchiverOptions&)> set;
    HWND owner;
    Op op;
    std::string line;
  } const cases[] = {
      {"defaults", [](auto&) {}, 0, unpack, R"(-x  "/Data/sample.cab" "/Data/" )"},
      {"as the tool unpacks", [](auto& o) { o.x = 1, o.n = 0; }, 4, unpack,
       R"(-x -i  "/Data/sample.cab" "/Data/" )"},
      {"n = 1 without owner, ji = 1, c = 2", [](auto& o) { o.n = 1, o.ji = 1, o.c = 2; }, 0,
       unpack, R"(-x -i -q  "/Data/sample.cab" "/Data/" )"},
      {"c = 1, r = 1, x = 0", [](auto& o) { o.c = 1, o.r = 1, o.x = 0; }, 0, unpack,
       R"(-x -o -r -j  "/Data/sample.cab" "/Data/" )"},
      {"pack keeps the name as given and passes names unescaped", [](auto&) {}, 0,
       [](TCab32& d, TArchiverOptions& o, std::string& out) {
         const TStrings files{"dir\\[a].txt"};
         return d.Pack(0, "rel.cab", o, "/src", &files, false, out);
       },
       R"(-a  "rel.cab" "/src/" "dir\[a].txt" )"},
      {"self-extractor: folder, no list", [](auto&) {}, 0,
       [](TCab32& d, TArchiverOptions& o, std::string& out) {
         return d.MakeSFX(0, "rel.cab", o, "/out", out);
       },
       R"(-f  "rel.cab" "/out/" )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TArchiverOptions o;
    c.set(o);
    cab->OwnerWindow = c.owner;
    c.op(*cab, o, output);
    EXPECT_EQ(cab->CommandLine, c.line);
    EXPECT_STREQ(Rec().Last().entry, "Cab");
    EXPECT_EQ(Rec().Last().text, c.line);
  }
}

TEST_F(Cab32Test, UnpackMakesTheArchiveAbsoluteAndLetsOptionsChooseTheResponseFile) {
  TArchiverOptions o;
  o.ResFileName = "/nonexistent/list.txt";
  o.ResFileUsage.Exclude(ruOnUnpack);
  const TStrings files{"a.txt"};
  cab->Unpack(6, "rel.cab", o, "", &files, true, output);
  EXPECT_EQ(cab->CommandLine, "-x  \"" + platform::GetFullPathName("rel.cab") + "\" \"a.txt\" ");
  EXPECT_EQ(Rec().Last().wnd, 6u);
}

TEST_F(Cab32Test, LibraryCallsAndUnsupportedOperations) {
  TArchiverOptions o;
  EXPECT_EQ(cab->CheckArchive("x.cab", 1, 2), 1);
  EXPECT_EQ(Rec().Last().mode, 3);
  std::string none;
  cab->Unpack(0, "/a.cab", o, "", nullptr, false, none);
  EXPECT_EQ(Rec().Last().bufferNull, 1);
  EXPECT_EQ(Rec().Last().size, 0u);
  const struct {
    std::function<void()> call;
    const char* message;
  } unsupported[] = {
      {[&] { cab->RemoveItem(0, "/a.cab", o, "", nullptr, false, none); },
       "この形式の書庫ではファイルの削除をサポートしておりません。"},
      {[&] { cab->Update(0, "/a.cab", o, "", nullptr, false, none); },
       "この形式の書庫では書庫の更新をサポートしておりません。"},
  };
  for (const auto& u : unsupported) {
    try {
      u.call();
      ADD_FAILURE() << u.message;
    } catch (const EArchiver& e) {
      EXPECT_EQ(e.Message(), u.message);
    }
  }
}

TEST_F(Cab32Test, ProbeClosesOnlyARealHandleAndMissingLibrary) {
  EXPECT_FALSE(IsCabArchive("x.exe"));
  EXPECT_EQ(Rec().CountOf("CabCloseArchive"), 0);
  Rec().SetOpenHandle(4);
  EXPECT_TRUE(IsCabArchive("x.exe"));
  EXPECT_EQ(Rec().CountOf("CabCloseArchive"), 1);

  cab->FreeDLL();
  recording::UseFolder("empty");
  EXPECT_FALSE(IsCabArchive("x.exe"));
  try {
    TCab32 d;
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "CAB 形式書庫を扱うには CAB32.DLL が 必要です。");
  }
}

}  // namespace
}  // namespace archive
