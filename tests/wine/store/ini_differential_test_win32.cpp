// IniStore against the platform's private-profile functions on the same files: whatever one
// writes, both must read alike.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "store/ini_store.h"
#include "tests/wine/support/temp_folder_win32.h"

namespace qm {
namespace {

constexpr const char* kDefault = "<default>";
constexpr DWORD kBufChars = 70000;  // above the longest value written

// Deterministic across runs and compilers, unlike the standard distributions.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint32_t Next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(z ^ (z >> 31));
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t s_;
};

// Names and values below are Windows-1252 bytes, as the A functions take them.
const std::vector<std::string> kSections = {"Name",
                                            "Title",
                                            "Text",
                                            "Kunden Daten",
                                            "\xC4pfel",
                                            "Stra\xDF"
                                            "e",
                                            "\x8Cuvre"};
const std::vector<std::string> kKeys = {"1",   "2",   "17",  "Key", "Schl\xFCssel",
                                        "a b", "X.Y", "k;1", "a#b", "\xC9t\xE9"};
const std::vector<std::string> kMissingKeys = {"Missing", "1 7", "Schl\xFCssel2"};

// Only ASCII letters change case: Wine matches other letters only in their exact case,
// where Windows ignores their case too.
char FlipCase(char ch) {
  if (ch >= 'a' && ch <= 'z') return static_cast<char>(ch - 32);
  if (ch >= 'A' && ch <= 'Z') return static_cast<char>(ch + 32);
  return ch;
}

std::string Upper(std::string s) {
  for (char& ch : s) {
    if (ch >= 'a' && ch <= 'z') ch = FlipCase(ch);
  }
  return s;
}

std::string Lower(std::string s) {
  for (char& ch : s) {
    if (ch >= 'A' && ch <= 'Z') ch = FlipCase(ch);
  }
  return s;
}

std::string Vary(const std::string& name, Rng& rng) {
  std::string s = name;
  for (char& ch : s) {
    if (rng.Chance(40)) ch = FlipCase(ch);
  }
  if (rng.Chance(25)) s = " " + s;
  if (rng.Chance(25)) s += "  ";
  return s;
}

std::string Words(Rng& rng) {
  static const char* const words[] = {"Hallo",
                                      "Gr\xFC\xDF"
                                      "e",
                                      "\x80"
                                      "5",
                                      "a",
                                      "Zeile",
                                      "x\ty",
                                      "100%",
                                      "&amp;",
                                      "\xE9t\xE9",
                                      "C:\\Pfad"};
  std::string s = words[rng.Below(10)];
  for (int n = rng.Below(4); n > 0; --n) s += std::string(" ") + words[rng.Below(10)];
  return s;
}

// Values without leading blanks: Wine drops those when writing, Windows keeps them.
std::string Value(Rng& rng) {
  const std::string w = Words(rng);
  switch (rng.Below(16)) {
    case 0:
      return "";
    case 1:
      return "\"" + w + "\"";
    case 2:
      return "'" + w + "'";
    case 3:
      return "\"" + w + "'";
    case 4:
      return "'" + w + "\"";
    case 5:
      return "\"" + w + "\"" + Words(rng) + "\"";
    case 6:
      return w + " \"" + Words(rng) + "\"";
    case 7: {
      static const char* const odd[] = {"\"", "'", "\"\"", "''", "\"'", "'\"\"'"};
      return odd[rng.Below(6)];
    }
    case 8:
      return w + ";" + Words(rng);
    case 9:
      return "; " + w;
    case 10:
      return "#" + w + " # " + Words(rng);
    case 11:
      return w + "=" + Words(rng);
    case 12:
      return w + "   ";
    case 13:
      return "\"  " + w + "  \"";
    default:
      return w;
  }
}

std::string LongValue(std::size_t n, Rng& rng) {
  std::string s;
  while (s.size() < n) s += Words(rng) + " ";
  s.resize(n);
  s.back() = 'Z';
  return s;
}

struct Op {
  std::string section, key;  // as passed, blanks and letter case varied
  bool remove_key = false, remove_section = false;
  std::string value;
};

std::vector<Op> MakeOps(std::uint64_t seed, bool with_removals) {
  Rng rng(seed);
  std::vector<Op> ops;
  const int count = 3 + rng.Below(30);
  for (int i = 0; i < count; ++i) {
    Op op;
    op.section = Vary(kSections[rng.Below(static_cast<int>(kSections.size()))], rng);
    op.key = Vary(kKeys[rng.Below(static_cast<int>(kKeys.size()))], rng);
    if (with_removals && rng.Chance(8)) {
      op.remove_key = true;
    } else if (with_removals && rng.Chance(2)) {
      op.remove_section = true;
    } else {
      op.value = Value(rng);
    }
    ops.push_back(op);
  }
  if (seed % 20 == 3) ops[rng.Below(count)].value = LongValue(5000, rng);
  if (seed % 40 == 11) {
    Op& op = ops[rng.Below(count)];
    op.remove_key = op.remove_section = false;
    op.value = LongValue(30000, rng);  // Wine's writer fails from 32,767 characters on
  }
  return ops;
}

void PlatformApply(const std::vector<Op>& ops, const std::string& file) {
  for (const Op& op : ops) {
    const char* key = op.remove_section ? nullptr : op.key.c_str();
    const char* value = (op.remove_key || op.remove_section) ? nullptr : op.value.c_str();
    ASSERT_TRUE(WritePrivateProfileStringA(op.section.c_str(), key, value, file.c_str()))
        << GetLastError();
  }
}

struct Lookup {
  std::string section, key;
};

std::vector<Lookup> MakeLookups(std::uint64_t seed) {
  Rng rng(seed ^ 0xABCDEF);
  std::vector<Lookup> out;
  for (const std::string& base : kSections) {
    for (const std::string& sec : {base, Upper(base), Lower(base), " " + base + " "}) {
      for (const std::string& key : kKeys) {
        out.push_back({sec, key});
        out.push_back({sec, Vary(key, rng)});
      }
      for (const std::string& key : kMissingKeys) out.push_back({sec, key});
    }
  }
  out.push_back({"Missing", "1"});
  return out;
}

class Readers {
 public:
  Readers() : fs_(MakeOsFileSystem()), ansi_(MakeOsAnsiCodePage()) {}

  std::string Platform(const Lookup& l, const std::string& file) {
    std::string buf(kBufChars, '\0');
    const DWORD n = GetPrivateProfileStringA(l.section.c_str(), l.key.c_str(), kDefault, buf.data(),
                                             kBufChars, file.c_str());
    buf.resize(n);
    return ansi_->ToUtf8(buf);
  }

  std::string Ours(IniStore& ini, const Lookup& l, const std::string& file) {
    return ini.ReadIniValue(ansi_->ToUtf8(l.section), ansi_->ToUtf8(l.key), kDefault, file);
  }

  std::unique_ptr<IniStore> NewStore() { return std::make_unique<IniStore>(*fs_, *ansi_); }
  const CodePage& ansi() const { return *ansi_; }

 private:
  std::unique_ptr<FileSystem> fs_;
  std::unique_ptr<CodePage> ansi_;
};

std::string Shorten(const std::string& s) {
  return s.size() <= 60 ? s : s.substr(0, 40) + "...(" + std::to_string(s.size()) + " bytes)";
}

// Collects disagreements and shows the first few with enough to reproduce them.
class Mismatches {
 public:
  void Check(const std::string& what, const Lookup& l, const std::string& expected,
             const std::string& actual) {
    if (expected == actual) return;
    if (++count_ <= 12) {
      text_ += what + " [" + l.section + "] \"" + l.key + "\": platform \"" + Shorten(expected) +
               "\", ours \"" + Shorten(actual) + "\"\n";
    }
  }
  int count() const { return count_; }
  const std::string& text() const { return text_; }

 private:
  int count_ = 0;
  std::string text_;
};

TEST(IniDifferential, ReadsWhatThePlatformWroteAsThePlatformDoes) {
  test::TempFolder dir;
  Readers readers;
  Mismatches bad;
  int compared = 0;
  for (std::uint64_t seed = 0; seed < 120; ++seed) {
    const std::string file = dir.File("p" + std::to_string(seed) + ".ini");
    ASSERT_NO_FATAL_FAILURE(PlatformApply(MakeOps(seed, true), file));
    auto ini = readers.NewStore();
    for (const Lookup& l : MakeLookups(seed)) {
      bad.Check("seed " + std::to_string(seed), l, readers.Platform(l, file),
                readers.Ours(*ini, l, file));
      ++compared;
    }
  }
  EXPECT_EQ(bad.count(), 0) << "of " << compared << " lookups:\n" << bad.text();
}

// The same writes through both writers; every reader must then agree on both files.
TEST(IniDifferential, OurWritesReadAsThePlatformsWrites) {
  test::TempFolder dir;
  Readers readers;
  Mismatches bad;
  for (std::uint64_t seed = 1000; seed < 1060; ++seed) {
    const std::vector<Op> ops = MakeOps(seed, false);
    const std::string theirs = dir.File("p" + std::to_string(seed) + ".ini");
    const std::string ours = dir.File("o" + std::to_string(seed) + ".ini");
    ASSERT_NO_FATAL_FAILURE(PlatformApply(ops, theirs));
    auto ini = readers.NewStore();
    for (const Op& op : ops) {
      const Status s =
          ini->WriteIniValue(readers.ansi().ToUtf8(op.section), readers.ansi().ToUtf8(op.key),
                             readers.ansi().ToUtf8(op.value), ours);
      ASSERT_TRUE(s.ok()) << s.message;
    }
    auto fresh = readers.NewStore();
    const std::string tag = "seed " + std::to_string(seed);
    for (const Lookup& l : MakeLookups(seed)) {
      const std::string expected = readers.Platform(l, theirs);
      bad.Check(tag + " platform reads our file", l, expected, readers.Platform(l, ours));
      bad.Check(tag + " we read our file", l, expected, readers.Ours(*fresh, l, ours));
      bad.Check(tag + " writer's cache", l, expected, readers.Ours(*ini, l, ours));
    }
  }
  EXPECT_EQ(bad.count(), 0) << bad.text();
}

// Rewrites by another writer in quick succession, often of the same size within one tick
// of the file clock, must never be answered from a stale cache, in either direction.
TEST(IniDifferential, QuickAlternatingWritersSeeEachOthersValues) {
  test::TempFolder dir;
  Readers readers;
  const std::string file = dir.File("alt.ini");
  auto ini = readers.NewStore();
  for (int i = 0; i < 200; ++i) {
    char theirs[16], ours[16];
    std::snprintf(theirs, sizeof theirs, "p%04d", i);
    std::snprintf(ours, sizeof ours, "o%04d", i);
    ASSERT_TRUE(WritePrivateProfileStringA("S", "p", theirs, file.c_str()));
    ASSERT_EQ(ini->ReadIniValue("S", "p", kDefault, file), theirs);
    ASSERT_TRUE(ini->WriteIniValue("S", "o", ours, file).ok());
    ASSERT_EQ(readers.Platform({"S", "o"}, file), ours) << "platform missed our write " << i;
    ASSERT_EQ(readers.Platform({"S", "p"}, file), theirs) << "our write lost theirs " << i;
  }
}

// Longer than the platform writes itself, but not than it reads.
TEST(IniDifferential, OurLongValuesReadBackThroughThePlatform) {
  test::TempFolder dir;
  Readers readers;
  const std::string file = dir.File("long.ini");
  auto ini = readers.NewStore();
  Rng rng(7);
  for (std::size_t len : {5000u, 32767u, 40000u}) {
    const std::string value = LongValue(len, rng);
    ASSERT_TRUE(
        ini->WriteIniValue("Lang", "k" + std::to_string(len), readers.ansi().ToUtf8(value), file)
            .ok());
    ASSERT_TRUE(ini->WriteIniValue("Lang", "danach", "1", file).ok());
    EXPECT_EQ(readers.Platform({"Lang", "k" + std::to_string(len)}, file),
              readers.ansi().ToUtf8(value));
    EXPECT_EQ(readers.Platform({"Lang", "danach"}, file), "1");
  }
}

struct RawCase {
  const char* name;
  std::string bytes;
};

// Files the platform never writes itself but users and other tools do.
TEST(IniDifferential, HandWrittenAnsiFilesReadAlike) {
  const std::vector<RawCase> cases = {
      {"CR only", "[A]\rk=1\rx=\"zwei\"\r[B]\ry=3\rk=4\r"},
      {"LF only", "[A]\nk=1\nx=\"zwei\"\n[B]\ny=3\nk=4\n"},
      {"no final line break", "[A]\r\nk=1\r\n[B]\r\nx=letzte Zeile"},
      {"no final line break, empty value", "[A]\r\nk=1\r\nx="},
      {"text after ]", "[A] Rest der Zeile\r\nk=1\r\n[B]x\r\nk=2\r\n"},
      // Not "[B" without its "]": Windows opens section B there, Wine takes the line for
      // junk inside A. The native tests hold Windows' reading.
      {"lines before first section", "k=0\r\nfirst=1\r\n[A]\r\nk=1\r\n"},
      {"comment lines", "; Kopf\r\n[A]\r\n;k=kommentar\r\nk=1\r\n; x=2\r\n[B]\r\n;y=1\r\n"},
      {"blanks and tabs", "[A]\r\n  k  =  v w  \r\n\tx\t=\t\"q \"\t\r\n"},
      {"blank and empty lines", "\r\n  \r\n[A]\r\n\r\nk=1\r\n   \r\n\r\nx=2\r\n"},
      {"repeated key", "[A]\r\nk=erster\r\nK=zweiter\r\nk=dritter\r\n"},
      {"case of sections and keys", "[sEc]\r\nFIRST=1\r\n[a]\r\nK=2\r\n"},
      {"quotes", "[A]\r\nk=\"abc\"   \r\nx='a'b'\r\ny=\"\r\nz=''\r\n1=\"a'\r\n"},
      {"equals in value", "[A]\r\nk==1\r\nx=a=b=c\r\n"},
      {"code page bytes", "[\xC4pfel]\r\nk=\x80 \x85 \x81\x8D\x8F\x90\x9D \xFF\r\n"},
      {"long line", "[A]\r\nk=" + std::string(40000, 'L') + "\r\nx=2\r\n"},
  };
  const std::vector<std::string> sections = {"A", "a", "B", "C", "sec", "Sec", "\xC4pfel", "X"};
  const std::vector<std::string> keys = {"k", "K", "x", "y", "z", "1", "first", "FIRST", "q"};
  test::TempFolder dir;
  Readers readers;
  Mismatches bad;
  int index = 0;
  for (const RawCase& c : cases) {
    const std::string file = dir.File("raw" + std::to_string(index++) + ".ini");
    ASSERT_TRUE(test::WriteRawFile(Utf8ToWide(file), c.bytes));
    auto ini = readers.NewStore();
    for (const std::string& sec : sections) {
      for (const std::string& key : keys) {
        bad.Check(c.name, {sec, key}, readers.Platform({sec, key}, file),
                  readers.Ours(*ini, {sec, key}, file));
      }
    }
  }
  EXPECT_EQ(bad.count(), 0) << bad.text();
}

std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t ch : text) {
    bytes += static_cast<char>(ch & 0xFF);
    bytes += static_cast<char>((ch >> 8) & 0xFF);
  }
  return bytes;
}

std::string PlatformReadW(const std::wstring& sec, const std::wstring& key,
                          const std::wstring& file) {
  std::wstring buf(kBufChars, L'\0');
  const DWORD n = GetPrivateProfileStringW(sec.c_str(), key.c_str(), L"<default>", buf.data(),
                                           kBufChars, file.c_str());
  buf.resize(n);
  return WideToUtf8(buf);
}

// Text beyond any ANSI code page, in UTF-16 files, both read and written by us.
TEST(IniDifferential, Utf16FilesReadAndWriteAlike) {
  const std::vector<std::wstring> files = {
      L"[Gr\u00F6\u00DFe]\r\nk=Gr\u00FC\u00DFe \U0001F600\r\nx=\"\u0416\u0438\u0432\"\r\n"
      L"[\u65E5\u672C]\r\n\u540D=\u5024\r\n",
      L"[A]\nk=1\n\u03A9=\u03C9\n",
      L"[A]\r\nk=ohne Zeilenende",
  };
  const std::vector<std::wstring> sections = {L"Gr\u00F6\u00DFe", L"GR\u00F6\u00DFE", L"A", L"a",
                                              L"\u65E5\u672C"};
  const std::vector<std::wstring> keys = {L"k", L"K", L"x", L"\u03A9", L"\u540D"};
  test::TempFolder dir;
  Readers readers;
  Mismatches bad;
  int index = 0;
  for (const std::wstring& text : files) {
    const std::wstring wfile = dir.WFile(L"u" + std::to_wstring(index++) + L".ini");
    const std::string file = WideToUtf8(wfile);
    ASSERT_TRUE(test::WriteRawFile(wfile, Utf16File(text)));
    auto ini = readers.NewStore();
    for (const auto& sec : sections) {
      for (const auto& key : keys) {
        const Lookup l{WideToUtf8(sec), WideToUtf8(key)};
        bad.Check("UTF-16 file " + std::to_string(index), l, PlatformReadW(sec, key, wfile),
                  ini->ReadIniValue(l.section, l.key, kDefault, file));
      }
    }
    // Our write keeps the file UTF-16, so that the platform reads it back unchanged.
    const std::string value = "\xCE\xA9 \xF0\x9F\x98\x80 \xE2\x82\xAC";  // Ω 😀 €
    ASSERT_TRUE(ini->WriteIniValue("A", "neu", value, file).ok());
    EXPECT_EQ(PlatformReadW(L"A", L"neu", wfile), value);
    EXPECT_EQ(PlatformReadW(L"A", L"k", wfile), ini->ReadIniValue("A", "k", kDefault, file));
  }
  EXPECT_EQ(bad.count(), 0) << bad.text();
}

// A file converted to UTF-16LE reads through the platform's own functions as it did before,
// and the backup beside it holds the old bytes.
TEST(IniDifferential, ConvertedFilesReadThroughThePlatformAsBefore) {
  const std::vector<RawCase> cases = {
      {"code page bytes", "[\xC4pfel]\r\nk=\x80 \x85 \x8C\x9C \xFF\r\n\xDC=\xE4\xF6\xFC\xDF\r\n"},
      {"comments and blank lines",
       "; Kopf \xE4\r\n\r\n[A]\r\n;k=kommentar\r\n\r\nk=1\r\n  \r\nx=2\r\n"},
      {"quotes and padding", "[A]\r\n  k  = \"  v  \" \r\nx='a'b'\r\ny=\"\r\n1=\"a'\r\n"},
      {"CR only", "[A]\rk=1\rx=zwei\r[B]\ry=3\r"},
      {"LF only, no final line break", "[A]\nk=1\n[B]\ny=letzte Zeile"},
      {"text after ] and repeated keys", "[A] Rest\r\nk=erster\r\nK=zweiter\r\n[B]x\r\nk=2\r\n"},
  };
  const std::vector<std::string> sections = {"A", "a", "B", "\xC3\x84pfel", "X"};
  const std::vector<std::string> keys = {"k", "K", "x", "y", "1", "\xC3\x9C", "q"};
  test::TempFolder dir;
  Readers readers;
  auto fs = MakeOsFileSystem();
  Mismatches bad;
  int index = 0;
  for (const RawCase& c : cases) {
    const std::wstring wfile = dir.WFile(L"c" + std::to_wstring(index++) + L".ini");
    const std::string file = WideToUtf8(wfile);
    ASSERT_TRUE(test::WriteRawFile(wfile, c.bytes));
    auto ini = readers.NewStore();
    std::vector<std::string> platform_before, ours_before;
    for (const std::string& sec : sections) {
      for (const std::string& key : keys) {
        platform_before.push_back(PlatformReadW(Utf8ToWide(sec), Utf8ToWide(key), wfile));
        ours_before.push_back(ini->ReadIniValue(sec, key, kDefault, file));
      }
    }
    std::string backup;
    const Status s = ini->ConvertToUtf16(file, &backup);
    ASSERT_TRUE(s.ok()) << c.name << ": " << s.message;
    EXPECT_EQ(backup, file + ".bak") << c.name;
    EXPECT_EQ(fs->ReadAll(backup).value_or(""), c.bytes) << c.name;
    EXPECT_EQ(fs->ReadAll(file).value_or("").substr(0, 2), "\xFF\xFE") << c.name;
    auto fresh = readers.NewStore();
    std::size_t i = 0;
    for (const std::string& sec : sections) {
      for (const std::string& key : keys) {
        const std::string after = PlatformReadW(Utf8ToWide(sec), Utf8ToWide(key), wfile);
        bad.Check(std::string(c.name) + " platform", {sec, key}, platform_before[i], after);
        bad.Check(std::string(c.name) + " ours", {sec, key}, ours_before[i],
                  fresh->ReadIniValue(sec, key, kDefault, file));
        ++i;
      }
    }
  }
  EXPECT_EQ(bad.count(), 0) << bad.text();
}

}  // namespace
}  // namespace qm
