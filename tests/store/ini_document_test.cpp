// Reading and editing data files by the private-profile rules, case by case.
#include "store/ini_document.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "platform/portable_code_pages.h"
#include "text/utf.h"

namespace qm {
namespace {

const Windows1252CodePage kAnsi;
const char* const kMissing = "<missing>";

std::string Read(const std::string& file, const std::string& section, const std::string& key) {
  auto v = IniDocument(file, kAnsi).Find(section, key);
  return v ? *v : kMissing;
}

std::string Utf16File(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

struct ReadCase {
  const char* what;
  std::string file, section, key, expected;
};

TEST(IniDocumentRead, FollowsThePrivateProfileRules) {
  const ReadCase cases[] = {
      {"names ignore letter case", "[Sec]\r\nKey=Val\r\n", "sEC", "kEY", "Val"},
      {"file blanks, tabs, vtabs trimmed", "[ \tSec \v]\r\n \t Key \v=  \t Val ue \t\r\n", "Sec",
       "Key", "Val ue"},
      {"caller blanks trimmed", "[Sec]\r\nKey=v\r\n", "  Sec ", " Key  ", "v"},
      {"caller tabs not trimmed", "[Sec]\r\nKey=v\r\n", "\tSec", "Key", kMissing},
      {"double quotes removed", "[S]\r\nk=\"  x  \"\r\n", "S", "k", "  x  "},
      {"single quotes removed", "[S]\r\nk='y'\r\n", "S", "k", "y"},
      {"mismatched quotes stay", "[S]\r\nk=\"z'\r\n", "S", "k", "\"z'"},
      {"lone quote stays", "[S]\r\nk=\"\r\n", "S", "k", "\""},
      {"only the outer pair", "[S]\r\nk=\"a\"b\"\r\n", "S", "k", "a\"b"},
      {"empty quotes", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
      {"quotes in names stay", "[S]\r\n\"k\"=v\r\n", "S", "\"k\"", "v"},
      {"comment line never found", "[S]\r\n  ;k=v\r\n", "S", ";k", kMissing},
      {"semicolon section", "[;x]\r\nk=v\r\n", ";x", "k", "v"},
      {"semicolon inside a key", "[S]\r\nkey ;x=1\r\n", "S", "key ;x", "1"},
      {"semicolon inside a value", "[S]\r\nk=a;b\r\n", "S", "k", "a;b"},
      {"hash is text", "[S]\r\n#k=v\r\n", "S", "#k", "v"},
      {"text after ] ignored", "[Sec] junk\r\nk=v\r\n", "Sec", "k", "v"},
      {"no ] still opens", "[Sec\r\nk=v\r\n", "Sec", "k", "v"},
      {"before the first section", "k=v\r\n[S]\r\n", "S", "k", kMissing},
      {"line without =", "[S]\r\nk\r\n", "S", "k", kMissing},
      {"empty value is a value", "[S]\r\nk=\r\n", "S", "k", ""},
      {"first key wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
      {"only the first section searched", "[S]\r\n[T]\r\n[s]\r\nk=v\r\n", "S", "k", kMissing},
      {"first section still found", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", "s", "a", "1"},
      {"lone CR ends a line", "[S]\rk=v\rj=w", "S", "j", "w"},
      {"lone LF ends a line", "[S]\nk=v\nj=w\n", "S", "k", "v"},
      {"no final line break", "[S]\r\nk=last", "S", "k", "last"},
      {"value keeps =", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
      {"ANSI characters", "[S]\r\nk=\x80\xE4\r\n", "S", "k", "\xE2\x82\xAC\xC3\xA4"},
      {"umlauts fold",
       "[Gr\xF6\xDF"
       "e]\r\n\xC4=1\r\n",
       "GR\xC3\x96\xC3\x9F"
       "E",
       "\xC3\xA4", "1"},
      {"UTF-8 mark is no mark", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", kMissing},
      {"missing section", "[S]\r\nk=v\r\n", "T", "k", kMissing},
      {"empty file", "", "S", "k", kMissing},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(c.file, c.section, c.key), c.expected) << c.what;
  }
}

TEST(IniDocumentRead, Utf16LittleEndianWithMark) {
  const std::string file = Utf16File(u"[Sec]\r\nName = \"\u00e4\U0001F600\" \r\n");
  IniDocument doc(file, kAnsi);
  EXPECT_EQ(doc.encoding(), IniEncoding::kUtf16Le);
  EXPECT_EQ(Read(file, "sec", "name"), "\xC3\xA4\xF0\x9F\x98\x80");
}

struct EditCase {
  const char* what;
  std::string before, section, key, value, after;
};

// The place of the write is found by a scan and, once a read has built them, by the
// tables: both must give the file Windows gives.
void ExpectEdit(const EditCase& c) {
  std::string scanned, looked_up;
  ASSERT_TRUE(IniDocument(c.before, kAnsi).Edit(c.section, c.key, c.value, scanned)) << c.what;
  IniDocument parsed(c.before, kAnsi);
  (void)parsed.Find("x", "y");
  ASSERT_TRUE(parsed.Edit(c.section, c.key, c.value, looked_up)) << c.what;
  EXPECT_EQ(scanned, c.after) << c.what;
  EXPECT_EQ(looked_up, c.after) << c.what;
}

TEST(IniDocumentEdit, EditsInPlaceAsWindowsDoes) {
  const EditCase cases[] = {
      {"new file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"replace keeps name spelling", "; c\n[s]\n  KEY = old \nz=1\n", "S", "key", "new",
       "; c\n[s]\nKEY=new\nz=1\n"},
      {"new key after the last key line", "[S]\r\na=1\r\n; note\r\n\r\n[T]\r\n", "S", "b", "2",
       "[S]\r\na=1\r\nb=2\r\n; note\r\n\r\n[T]\r\n"},
      {"new key in an empty section", "[S]\r\n[T]\r\n", "S", "b", "2", "[S]\r\nb=2\r\n[T]\r\n"},
      {"new section at the end", "[S]\r\na=1\r\n", "T", "b", "2", "[S]\r\na=1\r\n[T]\r\nb=2\r\n"},
      {"break added first", "[S]\r\na=1", "T", "b", "2", "[S]\r\na=1\r\n[T]\r\nb=2\r\n"},
      {"break added after last key", "[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
      {"LF file keeps its breaks", "[S]\na=1\n", "S", "b", "2", "[S]\na=1\nb=2\r\n"},
      {"empty value", "[S]\r\na=1\r\n", "S", "a", "", "[S]\r\na=\r\n"},
      {"first of a repeated section", "[S]\r\na=1\r\n[S]\r\nb=2\r\n", "s", "b", "3",
       "[S]\r\na=1\r\nb=3\r\n[S]\r\nb=2\r\n"},
      {"caller blanks trimmed", "", " S ", " k ", " v", "[S]\r\nk= v\r\n"},
      {"nothing escaped", "", "S", "k", "\"q\";#", "[S]\r\nk=\"q\";#\r\n"},
      {"ANSI written", "", "S", "k", "\xE2\x82\xAC", "[S]\r\nk=\x80\r\n"},
      {"last line without break gets one", "[S]\r\nk=old", "S", "k", "new", "[S]\r\nk=new\r\n"},
      {"last line padded, without break", "[S]\r\n k = old \t", "S", "K", "new",
       "[S]\r\nk=new\r\n"},
      {"last line with a lone CR keeps it", "[S]\rk=old\r", "S", "k", "new", "[S]\rk=new\r"},
      {"last line with a lone LF keeps it", "[S]\nk=old\n", "S", "k", "new", "[S]\nk=new\n"},
      {"line before an unbroken last one", "[S]\r\nk=old\r\nj=1", "S", "k", "new",
       "[S]\r\nk=new\r\nj=1"},
  };
  for (const auto& c : cases) ExpectEdit(c);
}

TEST(IniDocumentEdit, Utf16FileStaysUtf16) {
  const EditCase cases[] = {
      {"new key, characters beyond ANSI", Utf16File(u"[S]\r\na=1\r\n"), "S", "b",
       "\xC3\xA4\xF0\x9F\x98\x80", Utf16File(u"[S]\r\na=1\r\nb=\u00e4\U0001F600\r\n")},
      {"only the mark: a line break first", Utf16File(u""), "S", "k", "v",
       Utf16File(u"\r\n[S]\r\nk=v\r\n")},
      {"only the mark and a stray byte", Utf16File(u"") + "x", "S", "k", "v",
       Utf16File(u"\r\n[S]\r\nk=v\r\n")},
      {"stray last byte, no final break", Utf16File(u"[a]\r\nk=v") + "x", "b", "n", "1",
       Utf16File(u"[a]\r\nk=v\r\n[b]\r\nn=1\r\n")},
      {"last line without break gets one", Utf16File(u"[S]\r\nk=old"), "S", "k", "new",
       Utf16File(u"[S]\r\nk=new\r\n")},
      {"second write after the mark", Utf16File(u"\r\n[S]\r\nk=v\r\n"), "T", "j", "w",
       Utf16File(u"\r\n[S]\r\nk=v\r\n[T]\r\nj=w\r\n")},
  };
  for (const auto& c : cases) ExpectEdit(c);
}

TEST(IniDocumentEdit, RefusesWhatWouldNotReadBack) {
  const std::tuple<const char*, std::string, std::string, std::string> cases[] = {
      {"line break in value", "S", "k", "a\nb"},
      {"CR in value", "S", "k", "a\rb"},
      {"= in key", "S", "a=b", "v"},
      {"] in section", "a]b", "k", "v"},
      {"empty key", "S", "  ", "v"},
      {"empty section", "", "k", "v"},
      {"key opening a section", "S", "[k", "v"},
      {"key that is a comment", "S", ";k", "v"},
      {"tab before a key", "S", "\t;k", "v"},
      {"tab after a key", "S", "k\t", "v"},
      {"vertical tab around a section", "\vS", "k", "v"},
      {"emoji in an ANSI file", "S", "k", "\xF0\x9F\x98\x80"},
      {"malformed UTF-8", "S", "k", "\xC3"},
  };
  for (const auto& [what, section, key, value] : cases) {
    std::string after = "untouched";
    const Status s = IniDocument("[S]\r\n", kAnsi).Edit(section, key, value, after);
    EXPECT_EQ(s.code, Status::Code::kRefused) << what;
    EXPECT_FALSE(s.message.empty()) << what;
  }
  std::string after;
  const Status s = IniDocument("", kAnsi).Edit("S", "k", "\xF0\x9F\x98\x80", after);
  EXPECT_NE(s.message.find("U+1F600"), std::string::npos) << s.message;
}

// Any sequence of writes reads back as a map of the last values, whatever the letter case.
TEST(IniDocumentEdit, RandomWritesReadBackLikeAMap) {
  std::mt19937 rng(7);
  const std::vector<std::string> names = {"a",
                                          "A",
                                          "b",
                                          "Gr\xC3\xB6\xC3\x9F"
                                          "e",
                                          "GR\xC3\x96\xC3\x9F"
                                          "E",
                                          "x y",
                                          "k1"};
  const std::vector<std::string> values = {"",    " lead", "trail ",       "\"q\"", "'s'",
                                           "a;b", "=",     "\xE2\x82\xAC", "plain", "\"mis'"};
  // All of a round's writes at once give the file they give one after another.
  const std::string starts[] = {
      "",
      "; header\r\nstray=1\r\n[b]\r\n;x=1\r\njunk\r\n[B]\r\nA=2\r\n",
      "[a]\r\nk1=1\r\n[b]\nA=2",
      "[x y]\r\n; last",
      Utf16File(u"[b]\r\nA=2") + "\x01",
      Utf16File(u""),
  };
  for (int round = 0; round < 36; ++round) {
    const std::string start = starts[round % std::size(starts)];
    std::string bytes = start;
    std::vector<IniWrite> all;
    std::map<std::pair<std::string, std::string>, std::string> model;
    for (int i = 0; i < 60; ++i) {
      const std::string& s = names[rng() % names.size()];
      const std::string& k = names[rng() % names.size()];
      const std::string& v = values[rng() % values.size()];
      // The edit finds its place by a scan, or in the tables once a read has built them;
      // both must give the same file.
      std::string after, after_parsed;
      ASSERT_TRUE(IniDocument(bytes, kAnsi).Edit(s, k, v, after));
      IniDocument parsed(bytes, kAnsi);
      (void)parsed.Find("x", "y");
      ASSERT_TRUE(parsed.Edit(s, k, v, after_parsed));
      ASSERT_EQ(after, after_parsed);
      bytes = after;
      all.push_back({s, k, v});
      model[{FoldCase(s), FoldCase(k)}] = std::string(IniDocument::AsReadBack(v));
      IniDocument doc(bytes, kAnsi);
      for (const auto& [sk, value] : model) {
        ASSERT_EQ(doc.Find(sk.first, sk.second).value_or(kMissing), value);
      }
    }
    std::string at_once;
    ASSERT_TRUE(IniDocument(start, kAnsi).EditAll(all, at_once));
    EXPECT_EQ(at_once, bytes) << round;
  }
}

TEST(ReadNumberedList, RunsUntilTheFirstEmptyOrMissingValue) {
  const struct {
    const char* what;
    std::string file;
    std::vector<std::string> expected;
  } cases[] = {
      {"a gap ends it", "[L]\r\n1=a\r\n2=b\r\n4=d\r\n", {"a", "b"}},
      {"an empty value ends it", "[L]\r\n1=a\r\n2=\"\"\r\n3=c\r\n", {"a"}},
      {"order in the file does not count", "[l]\r\n2=b\r\n1=a\r\n", {"a", "b"}},
      {"values read as single values do", "[L]\r\n1 = \" x \" \r\n2='y'\r\n", {" x ", "y"}},
      {"only the first section", "[L]\r\n1=a\r\n[L]\r\n2=b\r\n", {"a"}},
      {"a leading zero is another key", "[L]\r\n01=a\r\n", {}},
      {"missing section", "[M]\r\n1=a\r\n", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadNumberedList(IniDocument(c.file, kAnsi), "L"), c.expected) << c.what;
  }
}

// A list written key by key reads back whole, and a shorter one written over it with its
// terminating empty value hides what was left of the longer one.
TEST(ReadNumberedList, WrittenListsReadBack) {
  const std::vector<std::vector<std::string>> lists = {
      {"Notepad", "Editor \xE2\x82\xAC", "a;b", "x=y"}, {"eins"}, {}, {"1", "2", "3"}};
  std::string bytes = "[Other]\r\n1=z\r\n";
  for (const auto& list : lists) {
    std::vector<std::string> writes = list;
    writes.push_back("");
    for (std::size_t i = 0; i < writes.size(); ++i) {
      std::string after;
      ASSERT_TRUE(
          IniDocument(bytes, kAnsi).Edit("Ignore", std::to_string(i + 1), writes[i], after));
      bytes = after;
    }
    EXPECT_EQ(ReadNumberedList(IniDocument(bytes, kAnsi), "Ignore"), list);
    EXPECT_EQ(ReadNumberedList(IniDocument(bytes, kAnsi), "Other"), std::vector<std::string>{"z"});
  }
}

}  // namespace
}  // namespace qm
