// The expansion around a typed abbreviation, with a real sender on fakes: what arrives in
// which window, and in what order, while a snippet waits and goes out.
#include "quillet/abbrev/expansion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "quillet/send/keystroke_text.h"
#include "store/stored_text.h"
#include "tests/fakes/fake_services.h"
#include "text/utf.h"

namespace qm {
namespace {

// The windows' text as the keys leave it; a key's scan code is its character. The caret
// stands after the text, or `back` characters before its end.
constexpr char16_t kLeftKey = u'\u2190', kRightKey = u'\u2192';

class FakeExpansionSystem : public ExpansionSystem {
 public:
  explicit FakeExpansionSystem(FakeDesktop& desktop) : desktop_(desktop) {}
  bool AskCarryOut() override { return true; }
  bool StillInFront(WindowHandle window) override { return desktop_.foreground == window; }
  WindowHandle Foreground() override { return desktop_.foreground; }
  bool FrontBackTo(WindowHandle window) override {
    if (desktop_.foreground == ours) desktop_.BringToFront(window);
    return desktop_.foreground == window;
  }
  void SendAgain(const RawKey& key) override {
    if (!key.up) Arrive(desktop_.foreground, static_cast<char16_t>(key.scan));
  }
  CaretPlace CaretPlaceOf(WindowHandle window) override {
    const int x = 8 * static_cast<int>(text[window].size() - back[window]);
    return {window, window, x, 0, x + 1, 16};
  }
  void Beep() override { ++beeps; }

  void Arrive(WindowHandle window, char16_t c) {
    std::u16string& t = text[window];
    std::size_t& b = back[window];
    const std::size_t at = t.size() - b;
    if (c == kLeftKey || c == kRightKey) {
      b = c == kLeftKey ? std::min(b + 1, t.size()) : b - (b > 0);
    } else if (c != u'\b') {
      t.insert(at, 1, c);
    } else if (at > 0) {
      t.erase(at - 1, 1);
    }
  }

  std::map<WindowHandle, std::u16string> text;
  std::map<WindowHandle, std::size_t> back;
  WindowHandle ours = 0;
  int beeps = 0;

 private:
  FakeDesktop& desktop_;
};

class ExpansionTest : public testing::Test, public FakeServices {
 protected:
  ExpansionTest() {
    // Each entry's snippet is its name.
    for (int n : {1, 2}) {
      EXPECT_TRUE(entries.WriteEntry(
          n, SnippetEntry{names[n - 1], EscapeStoredText(names[n - 1]), "", 0, 0}, data_file));
    }
    detector.Load({{1, "mfg", false}, {2, "adr", false}});
    desktop.foreground = editor;
    // What the sender types arrives in the window in front; the user types meanwhile.
    keyboard.after_send = [this](int) {
      for (; seen_ < keyboard.sent.size(); ++seen_) {
        const KeyEvent& e = keyboard.sent[seen_];
        const bool arrow = e.kind == KeyEvent::Kind::kVirtualKey &&
                           (e.code == kVkLeft || e.code == kVkRight);
        const char16_t c = !arrow ? e.code : e.code == kVkLeft ? kLeftKey : kRightKey;
        if (!e.key_up) system.Arrive(desktop.foreground, c);
      }
      if (during_send) std::exchange(during_send, nullptr)();
    };
  }

  // Each key down and up, into `window`; '\b' is Backspace. A key not held arrives at once.
  void Type(const std::string& keys, WindowHandle window) {
    for (const char c : keys) {
      RawKey raw{static_cast<std::uint32_t>(std::toupper(c)), static_cast<std::uint32_t>(c)};
      KeyInput input = KeyInput::Text(std::u16string(1, static_cast<char16_t>(c)));
      if (c == '\b') input = KeyInput::Of(KeyInput::Kind::kBackspace);
      input.place = system.CaretPlaceOf(window);
      const bool held = expansion.OnKey(raw, input, window);
      if (!held) system.Arrive(window, static_cast<char16_t>(c));
      raw.up = true;
      if (!expansion.OnKey(raw, std::nullopt, window) && held) ++releases_alone;
    }
  }
  std::string Text(WindowHandle window) { return Utf16ToUtf8(system.text[window]); }

  std::string data_file = "C:\\Q\\Quillet.ini";
  std::vector<std::string> names = {"Gruss", "Adresse"};
  WindowHandle editor = desktop.Add("Editor"), other = desktop.Add("Mail");
  AbbreviationDetector detector;
  Sender sender{sender_services(), data_file};
  FakeExpansionSystem system{desktop};
  bool capitals = false;
  AbbreviationExpansion expansion{
      {detector, names, sender, pace, system, {}, [this] { return capitals; }}};
  std::function<void()> during_send;  // once, after the send's first keys
  int releases_alone = 0;             // reached the window while their press was held

 private:
  std::size_t seen_ = 0;
};

TEST_F(ExpansionTest, KeysTypedWhileTheSnippetWaitsOrGoesOutFollowItAndExpandInTurn) {
  for (const bool going_out : {false, true}) {
    SCOPED_TRACE(going_out ? "going out" : "waiting");
    system.text.clear();
    Type("mfg ", editor);
    if (going_out) {
      during_send = [this] { Type("ab mfg ", editor); };
    } else {
      Type("ab mfg ", editor);
    }
    EXPECT_EQ(Text(editor), "mfg");
    expansion.CarryOut();
    EXPECT_EQ(Text(editor), "Gruss ab Gruss ");
    EXPECT_FALSE(expansion.Holding());
  }
  EXPECT_EQ(releases_alone, 0);
}

TEST_F(ExpansionTest, AKeyInAnotherWindowGoesThereAtOnceAndTheHeldOnesGoNowhereElse) {
  during_send = [this] {
    Type("a", editor);
    desktop.foreground = other;  // the send stops
    Type("x", other);
    EXPECT_EQ(Text(other), "x");
  };
  Type("mfg ", editor);
  expansion.CarryOut();
  EXPECT_EQ(Text(editor), "Gruss");
  EXPECT_EQ(Text(other), "x");
  EXPECT_EQ(system.beeps, 1);  // the "a" was lost
  // A form of ours in front, which the hook may not have been told of: its keys reach it.
  desktop.foreground = editor;
  Type(" mfg ", editor);
  ASSERT_TRUE(expansion.Holding());
  desktop.foreground = other;
  Type("y", editor);
  EXPECT_EQ(Text(editor).back(), 'y');
}

TEST_F(ExpansionTest, ASendThatTypedNothingGivesTheWordEndBackWhereItsWindowIsInFront) {
  system.ours = desktop.Add("Quillet");
  const struct {
    const char* name;
    WindowHandle front;
    std::string text;  // once "adr " followed: after a word end given back, a word counts
  } cases[] = {
      {"the window stayed in front", editor, "mfg Adresse "},
      {"a question of ours took the front", system.ours, "mfg Adresse "},
      {"the user went to another window", other, "mfgadr "},
  };
  names[0] = "Fehlt";  // the entry is gone: nothing is typed, and the user is told
  for (const auto& c : cases) {
    system.text.clear();
    Type("mfg ", editor);
    desktop.foreground = c.front;
    expansion.CarryOut();
    desktop.foreground = editor;
    Type("adr ", editor);
    expansion.CarryOut();
    EXPECT_EQ(Text(editor), c.text) << c.name;
    EXPECT_EQ(Text(other), "") << c.name;
  }
  EXPECT_EQ(dialogs.messages.size(), 3u);
}

TEST_F(ExpansionTest, TheAbbreviationsCapitalsCarryOverWhereSwitchedOn) {
  Type("MFG ", editor);
  expansion.CarryOut();
  capitals = true;
  Type("MFG Adr ", editor);
  expansion.CarryOut();
  EXPECT_EQ(Text(editor), "Gruss GRUSS Adresse ");
}

TEST_F(ExpansionTest, ABackspaceRightAfterTheExpansionUndoesIt) {
  Type("x mfg ", editor);
  expansion.CarryOut();
  Type("\b", editor);
  expansion.CarryOut();
  EXPECT_EQ(Text(editor), "x mfg ");
  // From the snippet's %cursor% too: forward to the word end, then back over it all.
  ASSERT_TRUE(entries.WriteEntry(
      1, SnippetEntry{"Gruss", EscapeStoredText("Gr%cursor%uss"), "", 0, 0}, data_file));
  Type("mfg.", editor);
  expansion.CarryOut();
  EXPECT_EQ(Text(editor), "x mfg Gruss.");
  EXPECT_EQ(system.back[editor], 4u);
  Type("\b", editor);
  expansion.CarryOut();
  EXPECT_EQ(Text(editor), "x mfg mfg.");
  EXPECT_EQ(system.back[editor], 0u);
}

}  // namespace
}  // namespace qm
