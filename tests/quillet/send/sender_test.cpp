// The sender against a fake desktop, keyboard, clipboard and dialogs: what is typed where,
// and that nothing is typed into a window the user did not choose.
#include "quillet/send/sender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "store/stored_text.h"
#include "tests/fakes/fake_field_asker.h"
#include "tests/fakes/fake_program_restart.h"
#include "tests/fakes/fake_services.h"

namespace qm {
namespace {

const std::string kNoTarget =
    "Es wurde kein passendes Zielfenster identifiziert.\rDie Übertragung wird daher "
    "abgebrochen.";
const std::string kApp = "\xE2\x80\xA2 Quillet 1.0";
const std::string kRestartQuestion =
    "\r\n\r\nSoll Quillet jetzt als Administrator neu gestartet werden?";

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// "v12 V12 u41 ": virtual key or Unicode, lower case down, upper case up.
std::string Keys(const std::vector<KeyEvent>& events) {
  std::string keys;
  for (const KeyEvent& e : events) {
    char buf[16];
    const char kind = e.kind == KeyEvent::Kind::kUnicode ? 'u' : 'v';
    std::snprintf(buf, sizeof buf, "%c%X ", e.key_up ? kind - 32 : kind, e.code);
    keys += buf;
  }
  return keys;
}

// Public, so that the tables of cases can script the fakes.
class SenderTest : public testing::Test, public FakeServices {
 public:
  SenderTest() { sender.SetAppTitle(kApp); }

  void Entry(int number, const std::string& plain, const std::string& title = "", int dosbox = 0) {
    ASSERT_TRUE(entries.WriteEntry(
        number, SnippetEntry{"Eintrag", EscapeStoredText(plain), title, 0, dosbox}, data_file));
  }
  // A window behind the program's, which the user worked in last.
  WindowHandle LastUsed(const std::string& title = "Editor") {
    const WindowHandle w = desktop.Add(title);
    sender.SetLastUsedWindow(w);
    return w;
  }
  std::string LastMessage() const {
    return dialogs.messages.empty() ? std::string() : dialogs.messages.back().text;
  }

  std::string data_file = "C:\\Q\\Quillet.ini";
  Sender sender{sender_services(), data_file};
};

TEST_F(SenderTest, TypesTheExpandedTextIntoTheLastUsedWindow) {
  fs.SetFile(data_file, "\xFF\xFE");  // UTF-16LE, so that it holds the emoji
  fs.SetFile("C:\\Q\\gruss.txt",
             "Gr\xC3\xBC\xC3\x9F"
             "e\r\n");  // UTF-8, beside the data file
  Entry(1, "5% (netto) {brutto}\r%datum%\t{TAB} %datei=gruss.txt%€😀\n", "  ");
  desktop.Add("Oben");
  const WindowHandle target = LastUsed();
  keyboard.held = {kVkLeftMenu};  // the user still holds Alt
  std::string first_keys;
  keyboard.after_send = [&](int calls) {
    if (calls == 1) first_keys = Keys(keyboard.sent);
  };

  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  EXPECT_EQ(keyboard.TypedText(), "5% (netto) {brutto}\r05.03.2024\t{TAB} Grüße\r€😀\n");
  EXPECT_EQ(sender.keystroke_text(),
            "5{%} {(}netto{)} {{}brutto{}}~05.03.2024{TAB}{{}TAB{}} Grüße~€😀\n");
  EXPECT_EQ(desktop.foreground, target);
  // Released first, without opening the target's menu bar.
  EXPECT_EQ(first_keys, "vE8 VE8 VA4 ");
  keyboard.sent.erase(keyboard.sent.begin(), keyboard.sent.begin() + 3);
  EXPECT_TRUE(keyboard.AllReleased());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(clipboard.text);
}

// A snippet with fields asks them first, with the window the user came from; the answers and
// the clipboard go in as they are; a cancelled form types nothing.
TEST_F(SenderTest, FieldsAreAskedFirstAndTheirAnswersAndTheClipboardGoInAsTheyAre) {
  FakeFieldAsker asker;
  sender.SetFieldAsker(&asker);
  Entry(1, "Hallo %eingabe=Name%, %zwischenablage% %eingabe=name%!");
  const WindowHandle target = LastUsed();
  clipboard.text = "%datei=C:\\Q\\x.txt%";
  asker.answer = FieldValues{{"%datum%", false}};
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_EQ(asker.asked[0].came_from, target);
  EXPECT_EQ(asker.asked[0].entry_name, "Eintrag");
  EXPECT_EQ(keyboard.TypedText(), "Hallo %datum%, %datei=C:\\Q\\x.txt% %datum%!");
  // The caret goes back to its mark, past the word end typed after the snippet too.
  Entry(1, "a%cursor%b\rc");
  keyboard.sent.clear();
  EXPECT_EQ(sender.SendEntry(1, "Eintrag", SendInto{target, 0, " ", {}, {}}), SendOutcome::kTyped);
  const std::string keys = Keys(keyboard.sent);
  EXPECT_EQ(keys.find("v25"), keys.size() - 32) << keys;  // "b", the Enter, "c" and " "
  EXPECT_EQ(sender.caret_left_keys(), 4u);
  // Undoing it: Right keys to the word end, then the Backspaces, then what was typed.
  keyboard.sent.clear();
  SendInto undo{target, 2, {}, {}, {}, {}};
  undo.right = 1;
  EXPECT_EQ(sender.SendText("x", undo), SendOutcome::kTyped);
  EXPECT_EQ(Keys(keyboard.sent).substr(0, 24), "v27 V27 v8 V8 v8 V8 u78 ");
  EXPECT_EQ(sender.caret_left_keys(), 0u);
  Entry(1, "Hallo %eingabe=Name%, %zwischenablage% %eingabe=name%!");
  keyboard.sent.clear();
  asker.cancel = true;
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kCancelled);
  EXPECT_TRUE(keyboard.sent.empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SenderTest, NoTarget) {
  const struct {
    const char* name;
    std::string title;
    bool hidden_match;
  } cases[] = {
      {"no title and no last-used window", "", false},
      {"a title of blanks counts as none", "   ", false},
      {"a title no window has", "Tabellen", false},
      {"a title only hidden windows have", "Versteckt", true},
  };
  for (const auto& c : cases) {
    desktop.windows.clear();
    dialogs.messages.clear();
    desktop.Add("Editor");
    if (c.hidden_match) desktop.Add("Versteckt", false);
    Entry(1, "geheim", c.title);
    EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kNoTarget) << c.name;
    ASSERT_EQ(dialogs.messages.size(), 1u) << c.name;
    EXPECT_EQ(dialogs.messages[0].text, kNoTarget);
    EXPECT_EQ(dialogs.messages[0].title, kApp);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kStop);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::kOk);
  }
  EXPECT_TRUE(keyboard.sent.empty());
  EXPECT_EQ(desktop.bring_to_front_calls, 0);
}

TEST_F(SenderTest, TheOnlyMatchingWindowIsTypedIntoWithoutAsking) {
  LastUsed("Mail");
  desktop.Add("Editor - versteckt", false);
  const WindowHandle editor = desktop.Add("Mein Editor");
  Entry(1, "x", " editor ");
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  EXPECT_TRUE(chooser.shown.empty());
  EXPECT_EQ(desktop.foreground, editor);
  EXPECT_EQ(keyboard.TypedText(), "x");
}

TEST_F(SenderTest, ASnippetAskedForInAWindowGoesThereWithTheKeysAroundIt) {
  LastUsed("Mail");
  desktop.Add("Tabellen");
  const WindowHandle editor = desktop.Add("Editor");
  Entry(1, "Gr\xC3\xBC\xC3\x9F\rx", "Tabellen");  // the title is not looked at
  std::string at_snippet_end;  // what had arrived then: the snippet, not yet its word end
  const SendInto around{editor, 3, ".", {}, [&] { at_snippet_end = keyboard.TypedText(); }};
  EXPECT_EQ(sender.SendEntry(1, "Eintrag", around), SendOutcome::kTyped);
  EXPECT_EQ(at_snippet_end, "Grüß\rx");
  EXPECT_EQ(desktop.foreground, editor);
  EXPECT_EQ(Keys({keyboard.sent.begin(), keyboard.sent.begin() + 6}), "v8 V8 v8 V8 v8 V8 ");
  EXPECT_EQ(keyboard.TypedText(), "Grüß\rx.");
  EXPECT_EQ(sender.snippet_characters(), 6u);  // Enter counts once; the keys around it not

  keyboard.sent.clear();
  EXPECT_EQ(sender.SendText("mfg ", SendInto{editor, 6, "", {}, {}}), SendOutcome::kTyped);
  EXPECT_EQ(keyboard.TypedText(), "mfg ");
  EXPECT_EQ(std::count_if(keyboard.sent.begin(), keyboard.sent.end(),
                          [](const KeyEvent& e) { return e.code == kVkBack && !e.key_up; }),
            6);

  // Into a terminal the word end follows the paste only once the text has been taken: typed
  // at once, an Enter could run the command line first; not taken, it does not follow.
  desktop.classes[editor] = "CASCADIA_HOSTING_WINDOW_CLASS";
  for (const bool takes : {true, false}) {
    keyboard.sent.clear();
    std::size_t events_when_taken = 0;
    keyboard.after_send = [&](int) {
      if (!takes || clipboard.taken) return;
      clipboard.taken = true;
      events_when_taken = keyboard.sent.size();
    };
    EXPECT_EQ(sender.SendEntry(1, "Eintrag", SendInto{editor, 1, "\r", {}, {}}),
              takes ? SendOutcome::kTyped : SendOutcome::kNotPasted);
    EXPECT_EQ(Keys(keyboard.sent),
              std::string("v8 V8 v11 v10 v56 V56 V10 V11 ") + (takes ? "vD VD " : ""));
    EXPECT_EQ(events_when_taken, takes ? 8u : 0u);
    EXPECT_EQ(sender.strokes_out(), takes ? 3u : 2u);
  }
  keyboard.after_send = nullptr;

  // A window that has gone gets nothing, and no count that an undo could trust; the keys
  // held back for the send are given back before the message, once.
  keyboard.sent.clear();
  dialogs.messages.clear();
  desktop.windows.clear();
  std::vector<std::size_t> messages_at_notice;
  const SendInto gone{
      editor, 3, ".", [&] { messages_at_notice.push_back(dialogs.messages.size()); }, {}};
  EXPECT_FALSE(sender.MayTypeInto(editor));
  EXPECT_EQ(sender.SendEntry(1, "Eintrag", gone), SendOutcome::kRefused);
  EXPECT_EQ(messages_at_notice, std::vector<std::size_t>{0});
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(keyboard.sent.empty());
  EXPECT_EQ(sender.snippet_characters(), 0u);
  EXPECT_EQ(sender.strokes_out(), 0u);
}

TEST_F(SenderTest, SeveralMatchingWindowsAreOfferedInListOrder) {
  const WindowHandle b = desktop.Add("Editor - b.txt");
  const WindowHandle a = desktop.Add("editor - a.txt");
  const WindowHandle c = desktop.Add("Editor - a.txt");
  Entry(1, "x", "EDITOR");

  chooser.answer = 1;
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  ASSERT_EQ(chooser.shown.size(), 1u);
  std::vector<std::pair<std::string, WindowHandle>> shown;
  for (const auto& candidate : chooser.shown[0])
    shown.push_back({candidate.title, candidate.window});
  EXPECT_EQ(shown, (std::vector<std::pair<std::string, WindowHandle>>{
                       {"editor - a.txt", a}, {"Editor - a.txt", c}, {"Editor - b.txt", b}}));
  EXPECT_EQ(desktop.foreground, c);
  EXPECT_EQ(keyboard.TypedText(), "x");

  chooser.answer.reset();
  keyboard.sent.clear();
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kChoiceCancelled);
  EXPECT_TRUE(keyboard.sent.empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

// The menu showed "Gruss" as number 2; another program has changed the file since.
TEST_F(SenderTest, TheMenusEntryIsSentWhereverItIsNowOrNotAtAll) {
  const struct {
    std::vector<std::string> names;  // entries 1, 2, ... now; a text is its name and number
    std::string typed, told;
  } cases[] = {
      {{"Adresse", "Gruss"}, "Gruss2", ""},
      {{"Gruss", "Adresse"}, "Gruss1", ""},
      {{"Adresse", "Geheim"}, "", "„Gruss“ existiert nicht mehr in der Datendatei.\r\nEs wurde"},
      {{"Gruss", "Adresse", "Gruss"}, "", "mehrere Einträge tragen diesen Namen."},
  };
  LastUsed();
  for (const auto& c : cases) {
    fs.SetFile(data_file, "");
    keyboard.sent.clear();
    dialogs.messages.clear();
    for (int n = 1; n <= static_cast<int>(c.names.size()); ++n) {
      const std::string& name = c.names[n - 1];
      entries.WriteEntry(n, {name, name + std::to_string(n), "", name == "Geheim", 0}, data_file);
    }
    const int locks = fs.LockCount();
    EXPECT_EQ(sender.SendEntry(2, "Gruss"),
              c.typed.empty() ? SendOutcome::kNoEntry : SendOutcome::kTyped);
    EXPECT_EQ(fs.LockCount(), locks + 1) << "read under the file's lock";
    EXPECT_EQ(keyboard.TypedText(), c.typed);
    EXPECT_EQ(LastMessage().empty(), c.typed.size() > 0);
    EXPECT_NE(LastMessage().find(c.told), std::string::npos) << LastMessage();
  }
}

TEST_F(SenderTest, DosBoxModePastesThroughTheSystemMenu) {
  Entry(1, "dir {a}\r\tam %datum%\x16\n", "", 1);
  clipboard.text = "alt";
  desktop.classes[LastUsed("Eingabeaufforderung")] = "ConsoleWindowClass";
  keyboard.after_send = [&](int) { clipboard.taken = true; };  // the console reads it
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  EXPECT_EQ(clipboard.offers, std::vector<std::string>{"dir {a}\r\n\tam 05.03.2024\r\n"});
  EXPECT_EQ(clipboard.text, "alt");
  EXPECT_EQ(sender.keystroke_text(), "% BE");
  EXPECT_EQ(Keys(keyboard.sent), "v12 v20 V20 V12 v42 V42 v45 V45 ");  // Alt+Space, B, E
  EXPECT_TRUE(dialogs.messages.empty());
}

// Which way a text goes, by the entry, the rules and the threshold in the data file, and the
// paste key of each: modifiers down, the key, modifiers up.
TEST_F(SenderTest, TheDeliveryFitsTheTarget) {
  const struct {
    const char* name;
    std::string program, window_class, forced, rules, paste_from;
    std::size_t length;
    Delivery delivery;
    const char* keys;  // of a paste; typing is checked by its text
  } cases[] = {
      {"a plain window", "notepad.exe", "Notepad", "", "", "", 20, Delivery::kType, ""},
      {"at the threshold", "notepad.exe", "Notepad", "", "", "", 500, Delivery::kPaste,
       "v11 v56 V56 V11 "},
      {"below the threshold", "notepad.exe", "Notepad", "", "", "", 499, Delivery::kType, ""},
      {"a threshold of the user's", "", "", "", "", "20", 21, Delivery::kPaste, "v11 v56 V56 V11 "},
      {"threshold 0 is never", "", "", "", "", "0", 9'000, Delivery::kType, ""},
      {"the entry's own beats the threshold", "", "", "Tippen", "", "", 900, Delivery::kType, ""},
      {"the entry's paste with the terminal's key", "", "CASCADIA_HOSTING_WINDOW_CLASS", "Einfügen",
       "", "", 3, Delivery::kPasteCtrlShiftV, "v11 v10 v56 V56 V10 V11 "},
      {"a built-in terminal", "PuTTY.EXE", "", "", "", "", 3, Delivery::kPasteShiftInsert,
       "v10 v2D V2D V10 "},
      {"a remote desktop", "C:\\Windows\\mstsc.exe", "TscShellContainerClass", "", "", "", 3,
       Delivery::kKeys, ""},
      {"the user's rule first", "mstsc.exe", "", "", "mstsc.exe;Tippen", "", 3, Delivery::kType,
       ""},
      {"an unreadable entry value is none", "mstsc.exe", "", "Faxen", "", "", 3, Delivery::kKeys,
       ""},
  };
  for (const auto& c : cases) {
    fs = FakeFileSystem();
    keyboard.sent.clear();
    clipboard = FakeClipboard();
    dialogs.messages.clear();
    desktop = FakeDesktop();
    const std::string text(c.length, 'z');
    Entry(1, text);
    std::vector<IniWrite> writes = {{"Zustellung", "1", c.forced}, {"Regeln", "1", c.rules}};
    if (!c.paste_from.empty()) writes.push_back({"Common", "EinfuegenAb", c.paste_from});
    ASSERT_TRUE(ini.WriteIniValues(writes, data_file));
    const WindowHandle w = LastUsed();
    processes.programs[w] = c.program;
    desktop.classes[w] = c.window_class;
    keyboard.after_send = [&](int) { clipboard.taken = true; };
    EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped) << c.name;
    EXPECT_EQ(sender.last_delivery(), c.delivery) << c.name;
    if (Pastes(c.delivery)) {
      EXPECT_EQ(Keys(keyboard.sent), c.keys) << c.name;
      EXPECT_EQ(clipboard.offers, std::vector<std::string>{text}) << c.name;
      EXPECT_EQ(sender.snippet_characters(), 0u) << c.name << ": an undo cannot know it";
    } else {
      EXPECT_EQ(keyboard.TypedText(), text) << c.name;
    }
    EXPECT_TRUE(dialogs.messages.empty()) << c.name;
  }
}

// A formatted entry is pasted with its HTML and RTF beside its text, their words filled alike;
// one whose formatted version no longer shows its text (edited by an older version), or a
// window that the rules give typing, gets the plain text.
TEST_F(SenderTest, AFormattedEntryIsPastedWithItsFormats) {
  FakeFieldAsker asker;
  sender.SetFieldAsker(&asker);
  const struct {
    const char* name;
    std::string html, rules;
    Delivery delivery;
  } cases[] = {
      {"formatted", "<b>Hallo</b> %eingabe=Name%", "", Delivery::kPaste},
      {"stale", "<b>Servus</b> %eingabe=Name%", "", Delivery::kType},
      {"typed by a rule", "<b>Hallo</b> %eingabe=Name%", "notepad.exe;Tippen", Delivery::kType},
  };
  for (const auto& c : cases) {
    keyboard.sent.clear();
    clipboard = FakeClipboard();
    desktop = FakeDesktop();
    asker.answer = FieldValues{{"<Max>", false}};
    ASSERT_TRUE(entries.WriteEntry(1,
                                   {"Eintrag", EscapeStoredText("Hallo %eingabe=Name%"), "", 0, 0,
                                    "", EscapeStoredText(c.html)},
                                   data_file));
    ASSERT_TRUE(ini.WriteIniValue("Regeln", "1", c.rules, data_file));
    const WindowHandle w = LastUsed();
    processes.programs[w] = "notepad.exe";
    keyboard.after_send = [&](int) { clipboard.taken = true; };
    EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped) << c.name;
    EXPECT_EQ(sender.last_delivery(), c.delivery) << c.name;
    if (c.delivery == Delivery::kType) {
      EXPECT_EQ(keyboard.TypedText(), "Hallo <Max>") << c.name;
      continue;
    }
    EXPECT_EQ(clipboard.offers, std::vector<std::string>{"Hallo <Max>"});
    ASSERT_EQ(clipboard.formats.size(), 1u);
    EXPECT_NE(clipboard.formats[0].html.find("<!--StartFragment--><b>Hallo</b> &lt;Max&gt;<!--"),
              std::string::npos)
        << clipboard.formats[0].html;
    EXPECT_NE(clipboard.formats[0].rtf.find("{\\b Hallo} <Max>}"), std::string::npos)
        << clipboard.formats[0].rtf;
  }
}

TEST_F(SenderTest, APasteLeavesTheClipboardAsItWas) {
  const struct {
    const char* name;
    std::function<void(SenderTest&, WindowHandle)> setup;
    SendOutcome outcome;
    const char* told;
    bool offered;
    int waited_ms;  // for the target to read the paste
  } cases[] = {
      // The paste keys would paste what the clipboard held before.
      {"clipboard busy", [](SenderTest& t, WindowHandle) { t.clipboard.unavailable = true; },
       SendOutcome::kClipboardFailed, "Zwischenablage gelegt werden", false, 0},
      {"target elevated",
       [](SenderTest& t, WindowHandle w) { t.processes.delivery[w] = KeyDelivery::kDropped; },
       SendOutcome::kRefused, "höheren Rechten", false, 0},
      {"paste not taken", [](SenderTest&, WindowHandle) {}, SendOutcome::kNotPasted,
       "hat den Text nicht aus der Zwischenablage übernommen", true, kPastePatienceMs},
      {"Esc", [](SenderTest& t, WindowHandle) { t.pace.escape_at_check = 1; },
       SendOutcome::kStopped, "mit Esc abgebrochen.\r\nEs wurde nichts übertragen.", true, 0},
  };
  for (const auto& c : cases) {
    desktop = FakeDesktop();
    clipboard = FakeClipboard();
    pace = FakeTypingPace();
    processes.delivery.clear();
    dialogs.messages.clear();
    clipboard.text = "alt";
    Entry(1, "geheim", "", 1);
    c.setup(*this, LastUsed());
    EXPECT_EQ(sender.SendEntry(1, "Eintrag"), c.outcome) << c.name;
    EXPECT_EQ(clipboard.offers.size(), c.offered ? 1u : 0u) << c.name;
    // Nothing went out unless the paste key did.
    EXPECT_EQ(sender.strokes_out(), c.outcome == SendOutcome::kNotPasted ? 1u : 0u) << c.name;
    clipboard.unavailable = false;
    EXPECT_EQ(clipboard.text, "alt") << c.name;
    EXPECT_NE(LastMessage().find(c.told), std::string::npos) << c.name << ": " << LastMessage();
    EXPECT_EQ(pace.waited_ms, c.waited_ms) << c.name;
  }
}

TEST_F(SenderTest, NothingIsTypedIntoAWindowThatCannotTakeIt) {
  using Setup = std::function<void(FakeDesktop&, FakeWindowProcesses&, WindowHandle)>;
  const auto never = [](NeverTarget why) -> Setup {
    return [why](FakeDesktop& d, FakeWindowProcesses&, WindowHandle) { d.windows[1].never = why; };
  };
  const auto delivery = [](KeyDelivery how) -> Setup {
    return [how](FakeDesktop&, FakeWindowProcesses& p, WindowHandle w) { p.delivery[w] = how; };
  };
  const struct {
    const char* name;
    Setup setup;
    const char* told;
    bool offers_restart = false;  // as administrator
  } cases[] = {
      {"closed", [](FakeDesktop& d, FakeWindowProcesses&, WindowHandle) { d.windows.clear(); },
       "Das Zielfenster ist nicht mehr geöffnet."},
      {"hidden",
       [](FakeDesktop& d, FakeWindowProcesses&, WindowHandle) { d.windows[1].visible = false; },
       "Das Zielfenster „Editor“ ist nicht sichtbar"},
      {"a window of the program", never(NeverTarget::kOwnProcess), "gehört zu Quillet selbst"},
      {"the desktop", never(NeverTarget::kShell), "der Desktop oder die Taskleiste"},
      {"cloaked", never(NeverTarget::kCloaked), "ist von Windows verborgen"},
      {"elevated", delivery(KeyDelivery::kDropped), "mit höheren Rechten läuft", true},
      {"integrity unknown", delivery(KeyDelivery::kUnknown),
       "dessen Rechte Quillet nicht feststellen kann", true},
      {"refuses the foreground",
       [](FakeDesktop& d, FakeWindowProcesses&, WindowHandle) { d.refuse_foreground = true; },
       "ließ sich nicht in den Vordergrund holen"},
  };
  FakeProgramRestart restart;
  sender.SetRestart(&restart);
  for (const auto& c : cases) {
    desktop = FakeDesktop();
    dialogs.messages.clear();
    dialogs.message_answers = {MessageAnswer::kNo};
    pace.waited_ms = 0;
    const WindowHandle front = desktop.Add("Chat");
    desktop.BringToFront(front);
    const WindowHandle target = LastUsed();
    c.setup(desktop, processes, target);
    Entry(1, "Passwort");
    EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kRefused) << c.name;
    EXPECT_TRUE(keyboard.sent.empty()) << c.name;
    EXPECT_EQ(desktop.foreground, front) << c.name;
    EXPECT_NE(LastMessage().find(c.told), std::string::npos) << c.name << ": " << LastMessage();
    EXPECT_NE(LastMessage().find("Es wurde nichts übertragen."), std::string::npos) << c.name;
    EXPECT_EQ(EndsWith(LastMessage(), kRestartQuestion), c.offers_restart) << c.name;
    EXPECT_EQ(dialogs.messages.back().buttons,
              c.offers_restart ? MessageButtons::kYesNoDefaultNo : MessageButtons::kOk)
        << c.name;
    processes.delivery.clear();
  }
  EXPECT_TRUE(restart.requests.empty()) << "started though the answer was no";
  // The refusing window was asked for about a second, without the test sleeping.
  EXPECT_EQ(pace.waited_ms, kForegroundPatienceMs);
}

// Only a yes to the offer starts the program again as administrator, with its data file; a
// failure is told, a prompt declined is not, and a program that is administrator already
// offers nothing. An abbreviation's refusal offers it too.
TEST_F(SenderTest, OnlyAYesRestartsTheProgramAsAdministrator) {
  FakeProgramRestart restart;
  sender.SetRestart(&restart);
  const struct {
    const char* name;
    bool available;
    RestartResult result;
    const char* error;
    std::size_t requests;
    std::string last_told;
  } cases[] = {
      {"started", true, RestartResult::kStarted, "", 1, kRestartQuestion},
      {"prompt declined", true, RestartResult::kCancelled, "", 1, kRestartQuestion},
      {"failed", true, RestartResult::kFailed, "Zugriff verweigert.", 1,
       "Quillet konnte nicht als Administrator gestartet werden.\r\n\r\nZugriff verweigert."
       "\r\n\r\nQuillet läuft ohne Administratorrechte weiter."},
      {"administrator already", false, RestartResult::kStarted, "", 0,
       "starten Sie Quillet ebenfalls als Administrator."},
  };
  Entry(1, "Passwort");
  for (const auto& c : cases) {
    desktop = FakeDesktop();
    restart = FakeProgramRestart();
    restart.available = c.available;
    restart.outcome = {c.result, c.error};
    dialogs.message_answers = {MessageAnswer::kYes};
    processes.delivery[LastUsed()] = KeyDelivery::kDropped;
    EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kRefused) << c.name;
    EXPECT_EQ(restart.requests, std::vector<std::string>(c.requests, data_file)) << c.name;
    EXPECT_TRUE(EndsWith(LastMessage(), c.last_told)) << c.name << ": " << LastMessage();
    EXPECT_TRUE(keyboard.sent.empty()) << c.name;
    processes.delivery.clear();
  }
  restart = FakeProgramRestart();
  const WindowHandle unknown = LastUsed();
  processes.delivery[unknown] = KeyDelivery::kUnknown;
  EXPECT_TRUE(sender.TellWhyNot(unknown));
  EXPECT_EQ(restart.requests, std::vector<std::string>{data_file});
}

// A minimised window may be the foreground window, yet none of its fields takes the keys.
TEST_F(SenderTest, AMinimisedTargetInFrontIsTypedIntoOnlyOnceRestored) {
  Entry(1, "Passwort");
  const WindowHandle target = LastUsed();
  desktop.BringToFront(target);
  desktop.windows[0].minimised = true;
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kRefused);
  EXPECT_TRUE(keyboard.sent.empty());
  EXPECT_NE(LastMessage().find("ließ sich nicht in den Vordergrund holen"), std::string::npos);
}

TEST_F(SenderTest, ALateTargetIsTypedIntoInBatchesWithProgressAndCatchUps) {
  Entry(1, std::string(100, 'x'));
  const WindowHandle target = LastUsed();
  desktop.refuse_foreground_times = 3;
  std::vector<std::pair<std::size_t, bool>> progress;
  sender.SetProgress([&](std::size_t typed, std::size_t total, bool done) {
    EXPECT_EQ(total, 100u);
    progress.push_back({typed, done});
  });
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  EXPECT_EQ(desktop.foreground, target);
  EXPECT_EQ(pace.waited_ms, 3 * kForegroundRetryMs);
  EXPECT_EQ(keyboard.TypedText(), std::string(100, 'x'));
  EXPECT_EQ(keyboard.send_calls, 4);  // 64 events each are 32 characters
  // Each character's key down, the character it brings and its key up are waited for.
  EXPECT_EQ(pace.caught_up_messages, (std::vector<std::size_t>{96, 96, 96, 12}));
  EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, bool>>{
                          {32, false}, {64, false}, {96, false}, {100, true}}));
}

TEST_F(SenderTest, TypingStopsAtOnceAndSaysHowMuchWasTyped) {
  const struct {
    const char* name;
    std::function<void(SenderTest&, WindowHandle)> setup;
    const char* told;
    std::size_t typed;
  } cases[] = {
      {"another window in front",
       [](SenderTest& t, WindowHandle) {
         t.keyboard.after_send = [&t](int calls) {
           if (calls == 2) t.desktop.foreground = t.desktop.windows.back().handle;
         };
       },
       "weil ein anderes Fenster in den Vordergrund kam", 64},
      {"target closed",
       [](SenderTest& t, WindowHandle) {
         t.keyboard.after_send = [&t](int calls) {
           if (calls == 1) t.desktop.windows.erase(t.desktop.windows.begin());
         };
         t.pace.hang_at_catch_up = 1;  // no round trip reaches a window that is gone
       },
       "weil das Zielfenster geschlossen wurde", 32},
      {"Esc", [](SenderTest& t, WindowHandle) { t.pace.escape_at_check = 3; },
       "Die Übertragung wurde mit Esc abgebrochen.", 64},
      {"target hangs", [](SenderTest& t, WindowHandle) { t.pace.hang_at_catch_up = 1; },
       "weil das Zielfenster nicht mehr reagiert", 32},
      {"input blocked halfway through a character",
       [](SenderTest& t, WindowHandle) {
         t.keyboard.accept_limit = 64 + 7;
         t.keyboard.after_send = [&t](int calls) {
           if (calls == 2) t.keyboard.accept_limit = static_cast<std::size_t>(-1);
         };
       },
       "weil Windows die Tastatureingaben nicht annahm", 36},
  };
  for (const auto& c : cases) {
    desktop = FakeDesktop();
    keyboard = FakeKeyboard();
    pace = FakeTypingPace();
    dialogs.messages.clear();
    Entry(1, std::string(100, 'x'));
    const WindowHandle target = LastUsed();
    desktop.Add("Chat");
    c.setup(*this, target);
    EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kStopped) << c.name;
    EXPECT_EQ(keyboard.TypedText(), std::string(c.typed, 'x')) << c.name;
    EXPECT_EQ(sender.strokes_out(), c.typed) << c.name;
    EXPECT_TRUE(keyboard.AllReleased()) << c.name;
    EXPECT_FALSE(pace.watching) << c.name << ": Esc would still be kept from every window";
    ASSERT_EQ(dialogs.messages.size(), 1u) << c.name;
    EXPECT_NE(LastMessage().find(c.told), std::string::npos) << c.name << ": " << LastMessage();
    EXPECT_NE(LastMessage().find("Bis dahin wurden " + std::to_string(c.typed) +
                                 " von 100 Zeichen übertragen."),
              std::string::npos)
        << c.name << ": " << LastMessage();
  }
}

TEST_F(SenderTest, AVeryLongTextAsksFirst) {
  fs.SetFile("C:\\Q\\lang.txt", std::string(10'000, 'y'));
  Entry(1, "x%datei=lang.txt%");
  Entry(2, std::string(10'000, 'y'));
  Entry(3, "%datei=lang.txt%%datei=lang.txt%", "", 1);
  ASSERT_TRUE(ini.WriteIniValues({PasteFromWrite(0)}, data_file));
  LastUsed();

  dialogs.message_answers = {MessageAnswer::kNo};
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kDeclined);
  EXPECT_TRUE(keyboard.sent.empty());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "Der Text ist nach dem Einsetzen der Platzhalter 10.001 Zeichen lang. Das Tippen "
            "kann bis zu etwa 2 Minuten dauern.\r\n\r\nSoll er trotzdem übertragen werden?");
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::kYesNoDefaultNo);
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kQuestion);

  dialogs.message_answers = {MessageAnswer::kYes};
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);

  // Up to the limit, and pasted however long (the DOS-box flag, the threshold), nothing is
  // asked.
  dialogs.messages.clear();
  keyboard.after_send = [&](int) { clipboard.taken = true; };
  EXPECT_EQ(sender.SendEntry(2, "Eintrag"), SendOutcome::kTyped);
  EXPECT_EQ(sender.SendEntry(3, "Eintrag"), SendOutcome::kTyped);
  ASSERT_TRUE(ini.WriteIniValues({PasteFromWrite(500)}, data_file));
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  EXPECT_EQ(sender.last_delivery(), Delivery::kPaste);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SenderTest, ASecondSendWhileOneIsUnderWayDoesNothing) {
  Entry(1, "eins");
  Entry(2, "zwei");
  LastUsed();
  SendOutcome inner = SendOutcome::kTyped;
  pace.on_wait = [&] { inner = sender.SendEntry(2, "Eintrag"); };
  EXPECT_EQ(sender.SendEntry(1, "Eintrag"), SendOutcome::kTyped);
  EXPECT_EQ(inner, SendOutcome::kBusy);
  EXPECT_EQ(keyboard.TypedText(), "eins");
}

TEST(TypingDurationTest, Table) {
  const struct {
    std::size_t chars;
    const char* text;
  } cases[] = {
      {5'900, "59 Sekunden"},
      {6'000, "1 Minute"},
      {359'999, "1 Stunde"},
      {366'000, "1 Stunde und 1 Minute"},
      {1'500'000, "4 Stunden und 10 Minuten"},
  };
  for (const auto& c : cases) EXPECT_EQ(TypingDuration(c.chars), c.text) << c.chars;
}

}  // namespace
}  // namespace qm
