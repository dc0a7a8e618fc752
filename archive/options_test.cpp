#include "archive/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/sysutils.h"

namespace archive {
namespace {

using O = TArchiverOptions;
using K = O::Kind;

const O::Property& Find(const char* name) {
  for (const auto& p : O::Properties())
    if (std::string(p.name) == name) return p;
  throw std::runtime_error(std::string("no property ") + name);
}

// Gives every property a distinct value that differs from its default.
void SetAllNonDefault(O& o) {
  int k = 0;
  for (const auto& p : O::Properties()) {
    ++k;
    switch (p.kind) {
      case K::Shortint: o.*p.shortint = static_cast<std::int8_t>(k - 70); break;
      case K::Folder:
      case K::Str:
      case K::Text: o.*p.str = std::string("v ") + p.name; break;
      case K::List: o.*p.list = {"*.BAK", "", "a b"}; break;
      case K::PackFilter: o.PackFilter = pfComponent; break;
      case K::ResFileUsage: o.ResFileUsage = {ruOnUpdate}; break;
    }
  }
}

// Compares every property through the table, naming the first one that differs.
void ExpectSameProperties(const O& actual, const O& expected) {
  for (const auto& p : O::Properties()) {
    switch (p.kind) {
      case K::Shortint: EXPECT_EQ(actual.*p.shortint, expected.*p.shortint) << p.name; break;
      case K::Folder:
      case K::Str:
      case K::Text: EXPECT_EQ(actual.*p.str, expected.*p.str) << p.name; break;
      case K::List: EXPECT_EQ(actual.*p.list, expected.*p.list) << p.name; break;
      case K::PackFilter: EXPECT_EQ(actual.PackFilter, expected.PackFilter) << p.name; break;
      case K::ResFileUsage:
        EXPECT_EQ(actual.ResFileUsage.Bits(), expected.ResFileUsage.Bits()) << p.name;
        break;
    }
  }
}

TEST(TArchiverOptionsTest, TableListsThe58PropertiesInDeclarationOrder) {
  const char* const names[] = {
      "a",  "c",  "e",  "f",  "h",  "i",  "l",   "m",  "n",  "o",  "p",  "r",  "s",  "t",   "u",
      "w",  "x",  "y",  "z",  "jc", "jd", "je",  "jf", "jh", "ji", "jm", "jn", "jo", "job", "jp",
      "jr", "jss", "jw", "jx", "jyc", "jyd", "jyk", "jyn", "jyo", "jz", "ga", "gd", "ge", "gf",
      "gj", "gm", "gn", "go", "gp", "gr", "gs", "gu", "gw", "UserOptions", "UserFileList",
      "PackFilter", "ResFileName", "ResFileUsage"};
  auto props = O::Properties();
  ASSERT_EQ(props.size(), std::size(names));
  for (std::size_t i = 0; i < props.size(); ++i) EXPECT_STREQ(props[i].name, names[i]) << i;

  const std::set<std::string> folder = {"w"}, str = {"jo", "job", "jz", "gr"}, list = {"jx"},
                              text = {"UserOptions", "UserFileList", "ResFileName"};
  // Member pointers have no order; distinctness is checked pairwise.
  std::vector<std::int8_t O::*> shortints;
  std::vector<std::string O::*> strings;
  for (const auto& p : props) {
    const std::string n = p.name;
    K expected = folder.count(n) ? K::Folder
                 : str.count(n)  ? K::Str
                 : list.count(n) ? K::List
                 : text.count(n) ? K::Text
                 : n == "PackFilter"   ? K::PackFilter
                 : n == "ResFileUsage" ? K::ResFileUsage
                                       : K::Shortint;
    EXPECT_EQ(p.kind, expected) << n;
    if (p.kind == K::Shortint) {
      EXPECT_TRUE(std::find(shortints.begin(), shortints.end(), p.shortint) == shortints.end()) << n;
      shortints.push_back(p.shortint);
    }
    if (p.str) {
      EXPECT_TRUE(std::find(strings.begin(), strings.end(), p.str) == strings.end()) << n;
      strings.push_back(p.str);
    }
  }
  EXPECT_EQ(shortints.size(), 47u);  // each switch has a field of its own
  EXPECT_EQ(strings.size(), 8u);
}

// The table entries reach the fields of the same name.
TEST(TArchiverOptionsTest, TableEntriesNameTheirFields) {
  const struct {
    const char* name;
    std::int8_t O::*field;
  } shortints[] = {{"a", &O::a}, {"n", &O::n}, {"x", &O::x}, {"jss", &O::jss},
                   {"jyc", &O::jyc}, {"ga", &O::ga}, {"gw", &O::gw}};
  for (const auto& s : shortints) EXPECT_EQ(Find(s.name).shortint, s.field) << s.name;
  const struct {
    const char* name;
    std::string O::*field;
  } strings[] = {{"w", &O::w}, {"jo", &O::jo}, {"job", &O::job}, {"jz", &O::jz},
                 {"gr", &O::gr}, {"UserOptions", &O::UserOptions},
                 {"UserFileList", &O::UserFileList}, {"ResFileName", &O::ResFileName}};
  for (const auto& s : strings) EXPECT_EQ(Find(s.name).str, s.field) << s.name;
  EXPECT_EQ(Find("jx").list, &O::jx);
}

TEST(TArchiverOptionsTest, FreshAndResetRecordsHoldTheDefaults) {
  O fresh;
  O reset;
  SetAllNonDefault(reset);
  reset.Reset();
  for (const O* o : {&fresh, &reset}) {
    for (const auto& p : O::Properties()) {
      switch (p.kind) {
        case K::Shortint: EXPECT_EQ(o->*p.shortint, -1) << p.name; break;
        case K::Folder:
        case K::Str:
          ASSERT_EQ((o->*p.str).size(), 1u) << p.name;
          EXPECT_EQ((o->*p.str)[0], '\0') << p.name;
          break;
        case K::Text: EXPECT_EQ(o->*p.str, "") << p.name; break;
        case K::List: EXPECT_TRUE((o->*p.list).empty()) << p.name; break;
        case K::PackFilter: EXPECT_EQ(o->PackFilter, pfArchiver); break;
        case K::ResFileUsage:
          EXPECT_TRUE(o->ResFileUsage.Contains(ruOnPack));
          EXPECT_TRUE(o->ResFileUsage.Contains(ruOnUnpack));
          EXPECT_TRUE(o->ResFileUsage.Contains(ruOnRemoveItem));
          EXPECT_FALSE(o->ResFileUsage.Contains(ruOnUpdate));
          EXPECT_EQ(o->ResFileUsage.Bits(), 0x07);
          break;
      }
    }
  }
}

TEST(TArchiverOptionsTest, AssignCopiesEveryPropertyAndReplacesListContent) {
  O source;
  SetAllNonDefault(source);
  O dest;
  dest.jx = {"old1", "old2", "old3", "old4"};
  const TStrings* destList = &dest.jx;
  dest.Assign(source);
  ExpectSameProperties(dest, source);
  EXPECT_EQ(&dest.jx, destList);

  // Back to defaults copies the defaults too (NoValue strings, empty list).
  dest.Assign(O());
  ExpectSameProperties(dest, O());

  // A class derived from the record is a valid destination.
  struct Derived : O {};
  Derived derived;
  derived.Assign(source);
  ExpectSameProperties(derived, source);

  dest.Assign(source);
  dest.Assign(dest);  // assigning a record to itself keeps it
  ExpectSameProperties(dest, source);
}

class Other : public platform::TPersistent {
 public:
  int value = 7;
};

// Copying between the record and another class raises the conversion error; nothing changes.
TEST(TArchiverOptionsTest, AssignAcrossClassesRaisesAndChangesNothing) {
  O options;
  SetAllNonDefault(options);
  O before;
  before.Assign(options);
  Other other;
  EXPECT_THROW(other.Assign(options), platform::EConvertError);
  EXPECT_EQ(other.value, 7);
  EXPECT_THROW(options.Assign(other), platform::EConvertError);
  ExpectSameProperties(options, before);
}

TEST(TArchiverOptionsTest, FreshRecordStreamsOnlyJycAndResFileUsage) {
  using Written = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(O().WriteProperties(),
            (Written{{"jyc", "-1"}, {"ResFileUsage", "[ruOnPack, ruOnUnpack, ruOnRemoveItem]"}}));
}

// A property is written when it differs from its stored default, and only then.
TEST(TArchiverOptionsTest, StreamingWritesChangedProperties) {
  const struct {
    const char* name;
    void (*change)(O&);
    const char* written;  // nullptr: not written
  } cases[] = {
      {"a", [](O& o) { o.a = 0; }, "0"},
      {"gw", [](O& o) { o.gw = -128; }, "-128"},
      {"w", [](O& o) { o.w = ""; }, ""},
      {"jo", [](O& o) { o.jo = "TMP"; }, "TMP"},
      {"gr", [](O& o) { o.gr = NoValue; }, nullptr},
      {"UserOptions", [](O& o) { o.UserOptions = ""; }, nullptr},
      {"UserOptions", [](O& o) { o.UserOptions = "-x"; }, "-x"},
      {"jx", [](O& o) { o.jx = {}; }, nullptr},
      {"jx", [](O& o) { o.jx = {"*.BAK", "*.TMP"}; }, "*.BAK\n*.TMP\n"},
      {"PackFilter", [](O& o) { o.PackFilter = pfArchiver; }, nullptr},
      {"PackFilter", [](O& o) { o.PackFilter = pfComponent; }, "pfComponent"},
  };
  for (const auto& c : cases) {
    O o;
    c.change(o);
    auto written = o.WriteProperties();
    std::size_t expectedCount = 2 + (c.written ? 1 : 0);
    EXPECT_EQ(written.size(), expectedCount) << c.name;
    bool found = false;
    for (const auto& [name, value] : written) {
      if (name != c.name) continue;
      found = true;
      if (c.written) {
        EXPECT_EQ(value, c.written) << c.name;
      }
    }
    EXPECT_EQ(found, c.written != nullptr) << c.name;
  }
  O o;
  o.ResFileUsage = {};
  EXPECT_EQ(o.WriteProperties().back(), (std::pair<std::string, std::string>{"ResFileUsage", "[]"}));
}

TEST(TArchiverOptionsTest, StreamedPropertiesReadBackIntoAFreshRecord) {
  O source;
  SetAllNonDefault(source);
  source.a = 127;
  source.c = -128;
  source.x = 0;
  source.jo = "";
  source.ResFileName = NoValue;  // not the text's default, so it travels
  source.jx = {"", "two words", "表"};
  source.ResFileUsage = {ruOnPack, ruOnUpdate};
  O copy;
  for (const auto& [name, value] : source.WriteProperties())
    EXPECT_TRUE(copy.ReadProperty(name, value)) << name << "=" << value;
  ExpectSameProperties(copy, source);
}

TEST(TArchiverOptionsTest, ReadPropertyRejectsUnknownNamesAndBadValues) {
  const struct {
    const char* name;
    const char* value;
  } cases[] = {
      {"", ""},         {"nope", "1"},       {"A", "1"},
      {"a", "128"},     {"a", "-129"},       {"a", ""},
      {"a", "1x"},      {"a", " 1"},         {"jyc", "99999999999999999999"},
      {"PackFilter", "pfOther"},  {"PackFilter", ""},
      {"ResFileUsage", "ruOnPack"}, {"ResFileUsage", "[ruOnPack, bogus]"},
      {"ResFileUsage", "["},
  };
  for (const auto& c : cases) {
    O o;
    EXPECT_FALSE(o.ReadProperty(c.name, c.value)) << c.name << "=" << c.value;
    ExpectSameProperties(o, O());
  }
}

}  // namespace
}  // namespace archive
