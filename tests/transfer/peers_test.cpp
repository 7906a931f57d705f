// Reading other snippet tools' files: espanso's matches, Beeftext's combos, AutoHotkey's
// hotstrings, with what they cannot carry in the notes and bad files refused with the line.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "transfer/beeftext.h"
#include "transfer/espanso.h"
#include "transfer/hotstrings.h"
#include "transfer/library_files.h"
#include "transfer/peer_text.h"

namespace qm {
namespace {

using Reader = std::function<bool(std::string_view, ImportResult*, TextProblem*)>;

struct Entry {
  std::string name, text, abbreviation;
  bool at_once;
  std::string delivery;
  std::size_t line;
  std::string html = {};
};

struct Note {
  std::size_t line;
  std::string entry, what;
};

void ExpectRead(const Reader& read, const std::string& file, const std::vector<Entry>& entries,
                const std::vector<Note>& notes) {
  ImportResult r;
  TextProblem problem;
  ASSERT_TRUE(read(file, &r, &problem)) << problem.line << ": " << problem.what;
  ASSERT_EQ(r.entries.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ImportedEntry& got = r.entries[i];
    const Entry& want = entries[i];
    EXPECT_EQ(got.name, want.name) << i;
    EXPECT_EQ(got.text, want.text) << want.name;
    EXPECT_EQ(got.abbreviation, want.abbreviation) << want.name;
    EXPECT_EQ(got.at_once, want.at_once) << want.name;
    EXPECT_EQ(got.delivery, want.delivery) << want.name;
    EXPECT_EQ(got.line, want.line) << want.name;
    EXPECT_EQ(got.html, want.html) << want.name;
  }
  ASSERT_EQ(r.notes.size(), notes.size());
  for (std::size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ(r.notes[i].line, notes[i].line) << notes[i].what;
    EXPECT_EQ(r.notes[i].entry, notes[i].entry) << notes[i].what;
    EXPECT_EQ(r.notes[i].what, notes[i].what);
  }
}

TEST(PeersTest, ReadsAnEspansoMatchFile) {
  ExpectRead(
      ReadEspansoMatches, R"~(# Grüße und Daten
global_vars:
  - name: firma
    type: echo
    params:
      echo: Muster GmbH
  - name: heute
    type: date
    params:
      format: "%d.%m.%Y"
matches:
  - trigger: ":mfg"
    replace: "Mit freundlichen Grüßen\n\tErika Muster"
  - triggers: [":adr", ":anschrift"]
    label: Anschrift
    replace: |
      Musterstraße 1
      12345 Musterstadt
    word: true
  - trigger: ":heute"
    replace: "Stand: {{datum}}, {{zeit}} Uhr"
    vars:
      - name: datum
        type: date
        params:
          format: "%d.%m.%Y"
      - name: zeit
        type: date
        params:
          format: "%H:%M"
  - trigger: ":monat"
    replace: "{{m}} bei {{firma}}, {{heute}}"
    vars:
      - name: m
        type: date
        params:
          format: "%B %Y"
  - trigger: ":sig"
    replace: "Gruß$|$"
    force_mode: clipboard
    propagate_case: true
  - regex: ":kw(?P<n>\\d+)"
    label: Kalenderwoche
    replace: "KW {{n}}"
  - trigger: ":logo"
    image_path: "$CONFIG/images/logo.png"
  - trigger: ":ip"
    replace: "{{ip}}"
    vars:
      - name: ip
        type: shell
        params:
          cmd: "curl ifconfig.me"
  - trigger: ":zw"
    replace: "{{ablage}}$|$ bis {{vorgestern}}, {{spaet}}, {{iso}}, {{morgen}}$|$ 100%Cursor%{{jetzt}}"
    vars:
      - name: ablage
        type: clipboard
      - name: vorgestern
        type: date
        params: {format: "%d.%m.%Y", offset: -172800}
      - name: spaet
        type: date
        params: {format: "%d.%m.%Y", offset: 3600}
      - name: iso
        type: date
        params: {format: "%Y-%m-%d", offset: 86400}
      - {name: morgen, type: date, params: {format: "%d.%m.%Y", offset: 86400}}
      - {name: jetzt, type: date, params: {format: "%H:%M", offset: 0}}
  - trigger: ":brief"
    form: "Hallo [[name]],\n[[text]]\n[[gruss]] [[name]] [[anrede]] [[haken]] [[50%]]"
    form_fields:
      text: {multiline: true}
      gruss: {type: choice, values: [Gruß, Servus], default: Servus}
      anrede:
        type: list
        values: |
          Herr
          Frau
      haken: {type: checkbox}
  - trigger: ":fv"
    replace: "{{f.name}} / {{f.farbe}}"
    vars:
      - name: f
        type: form
        params:
          layout: "Name: [[name]] Farbe: [[farbe]]"
          fields:
            farbe: {type: choice, values: ["rot|blau"]}
  - trigger: ":fett"
    html: "<b>Fett</b> am {{heute}}"
  - trigger: ":md"
    markdown: "**Fett** und [Web](https://x.de)"
)~",
      {
          {":mfg", "Mit freundlichen Grüßen\r\tErika Muster", ":mfg", true, "", 12},
          {"Anschrift", "Musterstraße 1\r12345 Musterstadt\r", ":adr", false, "", 14},
          {":heute", "Stand: %tag%.%monat%.%jahr%, %stunde%:%minute% Uhr", ":heute", true, "", 20},
          {":monat", "{{m}} bei {{firma}}, %tag%.%monat%.%jahr%", ":monat", true, "", 31},
          {":sig", "Gruß%cursor%", ":sig", true, "Einfügen", 38},
          {"Kalenderwoche", "KW {{n}}", "", true, "", 42},
          {":ip", "{{ip}}", ":ip", true, "", 47},
          {":zw",
           "%zwischenablage%%cursor% bis %datum-2%, {{spaet}}, {{iso}}, %datum+1% 100%Cursor%"
           "%stunde%:%minute%",
           ":zw", true, "", 54},
          {":brief",
           "Hallo %eingabe=name%,\r%mehrzeilig=text%\r%auswahl=gruss:Gruß|Servus% "
           "%eingabe=name% %auswahl=anrede:Herr|Frau% [[haken]] [[50%]]",
           ":brief", true, "", 70},
          {":fv", "%eingabe=name% / {{f.farbe}}", ":fv", true, "", 81},
          {":fett", "", ":fett", true, "", 90, "<b>Fett</b> am %tag%.%monat%.%jahr%"},
          {":md", "", ":md", true, "", 92, "<b>Fett</b> und <a href=\"https://x.de\">Web</a>"},
      },
      {
          {3, "",
           "Die globale Variable „firma“ (echo) wird nicht übernommen; „{{firma}}“ bleibt als Text "
           "stehen."},
          {12, "",
           "Auslöser, die espanso auch mitten im Wort erweitert, erweitert Quillet sofort, aber "
           "nur am Wortanfang."},
          {14, "Anschrift",
           "Die weiteren Auslöser „:anschrift“ werden nicht übernommen: Ein Eintrag hat in Quillet "
           "ein Kürzel."},
          {31, ":monat",
           "Die Variable „m“: Das Datumsformat „%B %Y“ hat in Quillet keine Entsprechung; „{{m}}“ "
           "bleibt als Text stehen."},
          {31, ":monat",
           "Der Verweis „{{firma}}“ auf die globale Variable bleibt als Text stehen."},
          {38, ":sig",
           "Die Angleichung der Groß- und Kleinschreibung an den Auslöser wird nicht übernommen."},
          {42, "Kalenderwoche",
           "Der Auslöser als regulärer Ausdruck „:kw(?P<n>\\d+)“ wird nicht übernommen; der "
           "Eintrag kommt ohne Kürzel."},
          {42, "Kalenderwoche",
           "Der Verweis „{{n}}“ auf eine Variable, die hier nicht steht, bleibt als Text stehen."},
          {45, ":logo",
           "Ein Bild („$CONFIG/images/logo.png“) wird nicht übernommen; der Eintrag wird "
           "übergangen."},
          {47, ":ip",
           "Die Variable „ip“ (shell) wird nicht übernommen; „{{ip}}“ bleibt als Text stehen."},
          {54, ":zw",
           "„%cursor%“ im Text ist in Quillet ein Platzhalter und wird beim Senden ersetzt."},
          {54, ":zw",
           "Quillet lässt den Cursor an der ersten Marke „$|$“; die weiteren werden entfernt."},
          {54, ":zw",
           "Die Variable „vorgestern“ kommt als „%datum-2%“, im kurzen Datumsformat der "
           "Ländereinstellungen."},
          {54, ":zw",
           "Die Variable „spaet“: Die Verschiebung des Datums wird nur in ganzen Tagen (bis 3650) "
           "mit dem Format „%d.%m.%Y“ übernommen; „{{spaet}}“ bleibt als Text stehen."},
          {54, ":zw",
           "Die Variable „iso“: Die Verschiebung des Datums wird nur in ganzen Tagen (bis 3650) "
           "mit dem Format „%d.%m.%Y“ übernommen; „{{iso}}“ bleibt als Text stehen."},
          {54, ":zw",
           "Die Variable „morgen“ kommt als „%datum+1%“, im kurzen Datumsformat der "
           "Ländereinstellungen."},
          {70, ":brief", "Das Formularfeld „gruss“ kommt ohne seinen Vorgabewert."},
          {70, ":brief",
           "Das Formularfeld „haken“ (Typ „checkbox“) hat in Quillet keine Entsprechung; "
           "„[[haken]]“ bleibt als Text stehen."},
          {70, ":brief",
           "Das Formularfeld „50%“ lässt sich mit diesem Namen oder diesen Werten in Quillet "
           "nicht schreiben; „[[50%]]“ bleibt als Text stehen."},
          {81, ":fv",
           "Das Formularfeld „farbe“ lässt sich mit diesem Namen oder diesen Werten in Quillet "
           "nicht schreiben; „{{f.farbe}}“ bleibt als Text stehen."},
      });
}

TEST(PeersTest, ReadsABeeftextExport) {
  ExpectRead(
      ReadBeeftextCombos, R"~({
    "combos": [
        {
            "created": "2024-03-01T09:15:00.000",
            "enabled": true,
            "group": "{5f7c9d2e-1a2b-4c3d-8e9f-000000000001}",
            "keyword": "mfg",
            "matchingMode": 0,
            "modified": "2024-03-01T09:15:00.000",
            "name": "Grußformel",
            "snippet": "Mit freundlichen Grüßen\n#{input:Name}",
            "uuid": "{0a1b2c3d-0000-4000-8000-00000000000a}"
        },
        {
            "caseSensitivity": 1,
            "enabled": true,
            "keyword": "hdat",
            "matchingMode": 2,
            "name": "Datum heute",
            "snippet": "Heute ist #{dateTime:dddd, 'der' dd.MM.yyyy}, #{time}.#{cursor}"
        },
        {
            "description": "nicht mehr gültig",
            "enabled": false,
            "keyword": "alt",
            "name": "Alte Adresse",
            "snippet": "Altweg 3\r\n\t99999 Altstadt, #{dateTime:MMMM}"
        },
        { "keyword": "ref", "name": "Verweise", "snippet":
          "#{combo:mfg},#{combo:cb},#{combo:gf},#{combo:fehlt}#{cursor}#{cursor}#{input:Name}#{input:50%}" },
        { "keyword": "gf", "name": "grußformel", "snippet": "klein" },
        { "keyword": "cb", "name": "", "snippet": "#{clipboard} und %datum%", "useHtml": false },
        { "keyword": "sig", "name": "Signatur", "useHtml": true, "snippet": "<!DOCTYPE HTML><html><head><meta name=\"qrichtext\" content=\"1\" /><style>p { white-space: pre-wrap; }</style></head><body style=\" font-size:9pt;\"><p style=\" margin-top:0px;\"><span style=\" font-weight:600; color:#ff0000;\">Max</span>  Muster</p><p style=\"-qt-paragraph-type:empty;\"><br /></p><p><a href=\"https://x.de\"><span style=\" font-style:italic;\">Web</span></a> #{date}</p></body></html>" }
    ],
    "fileFormatVersion": 9,
    "groups": [
        { "name": "Allgemein", "uuid": "{5f7c9d2e-1a2b-4c3d-8e9f-000000000001}" }
    ]
}
)~",
      {
          {"Grußformel", "Mit freundlichen Grüßen\r%eingabe=Name%", "mfg", true, "", 3},
          {"Datum heute", "Heute ist %wochentag%, der %tag%.%monat%.%jahr%, %zeit%.%cursor%",
           "hdat", true, "", 14},
          {"Alte Adresse", "Altweg 3\r\t99999 Altstadt, #{dateTime:MMMM}", "", true, "", 22},
          {"Verweise",
           "%baustein=Grußformel%,%baustein=cb%,#{combo:gf},#{combo:fehlt}%cursor%%eingabe=Name%#{"
           "input:50%}",
           "ref", true, "", 29},
          {"grußformel", "klein", "gf", true, "", 31},
          {"cb", "%zwischenablage% und %datum%", "cb", true, "", 32},
          {"Signatur", "", "sig", true, "", 33,
           "<b>Max</b>&nbsp; Muster<br><br><a href=\"https://x.de\"><i>Web</i></a> %datum%"},
      },
      {
          {14, "Datum heute",
           "Mitten im Wort erweitert Quillet nicht (lockere Erkennung), nur vom Wortanfang an."},
          {14, "Datum heute",
           "Die Einstellung zur Groß- und Kleinschreibung „1“ wird nicht übernommen: Quillet "
           "unterscheidet sie bei Kürzeln nicht."},
          {22, "Alte Adresse",
           "Die Variable „#{dateTime:MMMM}“ hat in Quillet keine Entsprechung und bleibt als Text "
           "stehen."},
          {22, "Alte Adresse",
           "Die Combo ist in Beeftext ausgeschaltet; sie kommt ohne ihr Kürzel „alt“, damit sie "
           "nicht erweitert wird."},
          {22, "Alte Adresse", "Die Beschreibung „nicht mehr gültig“ wird nicht übernommen."},
          {29, "Verweise",
           "Der Verweis „#{combo:gf}“ bleibt als Text stehen: Der Name „grußformel“ lässt sich in "
           "„%baustein=…%“ nicht eindeutig schreiben."},
          {29, "Verweise",
           "Der Verweis „#{combo:fehlt}“ auf eine Combo, die nicht in der Datei steht, bleibt als "
           "Text stehen."},
          {29, "Verweise",
           "Quillet lässt den Cursor an der ersten Marke „#{cursor}“; die weiteren werden "
           "entfernt."},
          {29, "Verweise",
           "Die Eingabe „#{input:50%}“ lässt sich in Quillet nicht als Feld schreiben (die "
           "Beschreibung ist leer, länger als 64 Zeichen oder enthält „%“) und bleibt als Text "
           "stehen."},
          {32, "cb",
           "„%datum%“ im Text ist in Quillet ein Platzhalter und wird beim Senden ersetzt."},
          {36, "",
           "Die Gruppen „Allgemein“ werden nicht übernommen; ihre Combos kommen ohne Gruppe."},
      });
}

TEST(PeersTest, ReadsAutoHotkeyHotstrings) {
  ExpectRead(
      ReadHotstrings, R"~(; Meine Hotstrings
#Requires AutoHotkey v2.0
#SingleInstance Force

::mfg::Mit freundlichen Grüßen  ; Grußformel
:*:@@::erika.muster@example.com
:C?:Ae::Ä
::adr::Musterstraße 1{Enter}12345 Musterstadt
:R:roh::{Enter} bleibt{Tab}
:*B0O:<em>::</em>{Left 5}
::esc::a`tb``c`;d ^v
::kw::
(
    Kalenderwoche
      eingerückt ; kein Kommentar
)
::kv::
(LTrim Join`s Comments
    eins ; Kommentar
    zwei
)
:X:msg::MsgBox "Hallo"
::code::
{
    Send "x"
}
^j::Send "Strg J"
/*
::alt::auskommentiert
*/
#Hotstring * K10
::sofort::gleich{!}{U+263A}
#HotIf WinActive("ahk_exe outlook.exe")
::gz::Grüezi
#HotIf
::ende::Ende
::zwinker::;-) ; lächelt
::zwei::a{Enter}`nb
::lf::a{U+000A}b
:X:cb1::Send, ^v
::cb2::
SendRaw %Clipboard%  ; die Zwischenablage
return
::cb3:: {
    SendText(A_Clipboard)
}
::cb4::{Ctrl down}v{Ctrl up} und ^V
::cb5::
Send ^v
Send x
return
:X:cb6::SendRaw ^v
)~",
      {
          {"mfg", "Mit freundlichen Grüßen", "mfg", false, "", 5},
          {"@@", "erika.muster@example.com", "@@", true, "", 6},
          {"Ae", "Ä", "Ae", false, "", 7},
          {"adr", "Musterstraße 1\r12345 Musterstadt", "adr", false, "", 8},
          {"roh", "{Enter} bleibt{Tab}", "roh", false, "", 9},
          {"<em>", "</em>{Left 5}", "<em>", true, "", 10},
          {"esc", "a\tb`c;d %zwischenablage%", "esc", false, "", 11},
          {"kw", "Kalenderwoche\r  eingerückt ; kein Kommentar", "kw", false, "", 12},
          {"kv", "eins zwei", "kv", false, "", 17},
          {"sofort", "gleich!☺", "sofort", true, "", 32},
          {"gz", "Grüezi", "gz", true, "", 34},
          {"ende", "Ende", "ende", true, "", 36},
          {"zwinker", ";-)", "zwinker", true, "", 37},
          {"zwei", "a\r\rb", "zwei", true, "", 38},
          {"lf", "a\rb", "lf", true, "", 39},
          {"cb1", "%zwischenablage%", "cb1", true, "", 40},
          {"cb2", "%zwischenablage%", "cb2", true, "", 41},
          {"cb3", "%zwischenablage%", "cb3", true, "", 44},
          {"cb4", "%zwischenablage% und ^V", "cb4", true, "", 47},
      },
      {
          {3, "",
           "Direktiven wie „#SingleInstance Force“ werden übergangen (3 Zeilen, die erste hier)."},
          {7, "Ae",
           "Nicht übernommen werden die Optionen ? (auch mitten im Wort), C (Groß- und "
           "Kleinschreibung beachten)."},
          {10, "<em>",
           "Die Tasten „{Left 5}“ haben in Quillet keine Entsprechung und bleiben als Text "
           "stehen."},
          {10, "<em>",
           "Nicht übernommen werden die Optionen B0 (das Kürzel stehen lassen), O (ohne das "
           "Wortende)."},
          {22, "msg",
           "Der Hotstring führt Befehle aus (Option X) und wird nicht übernommen: „MsgBox "
           "\"Hallo\"“."},
          {23, "code",
           "Der Hotstring führt Befehle aus und wird nicht übernommen; seine Zeilen werden "
           "übergangen."},
          {24, "", "Zeilen mit Befehlen wie „{“ werden übergangen (6 Zeilen, die erste hier)."},
          {27, "", "Tastenkürzel (Hotkeys) wie „^j::Send \"Strg J\"“ werden übergangen (1 Zeile)."},
          {31, "", "Die Optionen „K10“ werden nicht übernommen."},
          {34, "gz",
           "In AutoHotkey gilt der Hotstring nur unter „#HotIf WinActive(\"ahk_exe "
           "outlook.exe\")“; Quillet erweitert ihn überall."},
          {47, "cb4",
           "Die Tasten „^V“ haben in Quillet keine Entsprechung und bleiben als Text stehen."},
          {48, "cb5",
           "Der Hotstring führt Befehle aus und wird nicht übernommen; seine Zeilen werden "
           "übergangen."},
          {52, "cb6",
           "Der Hotstring führt Befehle aus (Option X) und wird nicht übernommen: „SendRaw ^v“."},
      });
}

TEST(PeersTest, RefusesWhatItCannotReadWithTheLine) {
  const auto through = [](LibraryFormat format) -> Reader {
    return [format](std::string_view bytes, ImportResult* r, TextProblem* problem) {
      return ReadLibrary(format, bytes, r, problem, ReadEspansoMatches);
    };
  };
  const struct {
    const char* name;
    Reader read;
    std::string bytes;
    std::size_t line;
  } cases[] = {
      {"YAML: a list never closed", ReadEspansoMatches,
       "matches:\n  - trigger: x\n    replace: [offen\n", 4},
      {"YAML without matches", ReadEspansoMatches, "# Einstellungen\nbackend: Clipboard\n", 2},
      {"matches that are no list", ReadEspansoMatches, "matches: 3\n", 1},
      {"YAML nested deeper than it can be read", ReadEspansoMatches,
       "matches: " + std::string(3000, '[') + std::string(3000, ']'), 1},
      {"espanso file in the Windows code page", ReadEspansoMatches,
       "matches:\n  - trigger: gr\n    replace: Gr\xFC\xDF"
       "e\n",
       3},
      {"JSON: a comma before a closing brace", ReadBeeftextCombos,
       "{\n  \"combos\": [\n    {\"name\": \"a\",}\n  ]\n}", 3},
      {"JSON cut off", ReadBeeftextCombos, "{\n  \"combos\": [\n", 3},
      {"JSON without combos", ReadBeeftextCombos, "{\"snippets\": []}", 1},
      {"JSON: combos that are no list", ReadBeeftextCombos, "{\"combos\": {}}", 1},
      {"Beeftext file as UTF-16 without its mark", ReadBeeftextCombos, std::string("{\0}\0", 4), 1},
      {"script in the Windows code page", ReadHotstrings,
       "; Umlaute\n::gr::Gr\xFC\xDF"
       "e\n",
       2},
      {"espanso file in the Windows code page, by its format", through(LibraryFormat::kEspanso),
       "\n\n\xFC", 3},
      {"Beeftext file in the Windows code page, by its format", through(LibraryFormat::kBeeftext),
       "\n\n\xFC", 3},
      {"script in the Windows code page, by its format", through(LibraryFormat::kAhk), "\n\n\xFC",
       3},
  };
  for (const auto& c : cases) {
    ImportResult r;
    TextProblem problem;
    EXPECT_FALSE(c.read(c.bytes, &r, &problem)) << c.name;
    EXPECT_EQ(problem.line, c.line) << c.name << ": " << problem.what;
    EXPECT_FALSE(problem.what.empty()) << c.name;
  }

  // A setting nested deep is named, not written out; a key's count never makes a text longer
  // than a long text may be.
  ImportResult r;
  TextProblem problem;
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_TRUE(ReadBeeftextCombos(
      "{\"combos\": [{\"keyword\": \"k\", \"snippet\": \"s\", \"matchingMode\": " + deep + "}]}",
      &r, &problem))
      << problem.what;
  std::string many;
  for (int i = 0; i < 2000; ++i) many += "{a 999}";
  ASSERT_TRUE(ReadHotstrings("::x::" + many + "\n", &r, &problem)) << problem.what;
  EXPECT_LE(r.entries.at(0).text.size(), 1u << 21);
}

TEST(PeersTest, DateFormatsBecomePlaceholdersOnlyWhereTheyGiveTheSame) {
  const struct {
    bool qt;
    const char* format;
    std::optional<std::string> ours;
  } cases[] = {
      {false, "%d.%m.%Y", "%tag%.%monat%.%jahr%"},
      {false, "%A, %H:%M:%S", "%wochentag%, %stunde%:%minute%:%sekunde%"},
      {false, "%F %T", "%jahr%-%monat%-%tag% %stunde%:%minute%:%sekunde%"},
      {false, "100%% %R", "100% %stunde%:%minute%"},
      {false, "%e.%m.", std::nullopt},  // day without its leading zero
      {false, "%B", std::nullopt},      // the month's name
      {false, "%I:%M %p", std::nullopt},
      {false, "%d.%m.%y", std::nullopt},
      {false, "%-d", std::nullopt},
      {false, "bis %", std::nullopt},
      {true, "dd.MM.yyyy", "%tag%.%monat%.%jahr%"},
      {true, "dddd, 'den' dd.MM. 'um' HH:mm 'Uhr'",
       "%wochentag%, den %tag%.%monat%. um %stunde%:%minute% Uhr"},
      {true, "yyyy-MM-ddTHH:mm:ss", "%jahr%-%monat%-%tag%T%stunde%:%minute%:%sekunde%"},
      {true, "HH 'o''clock'", "%stunde% o'clock"},
      {true, "''", "'"},
      {true, "d.M.yy", std::nullopt},
      {true, "hh:mm AP", std::nullopt},
      {true, "MMMM", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.qt ? QtFormatAsPlaceholders(c.format) : StrftimeAsPlaceholders(c.format), c.ours)
        << c.format;
  }
}

// What a small file expands to is bounded while it is read: an alias of a long anchor used
// a thousand times, key counts on every line, more rows than an import takes, each refused
// with the bound it passed instead of filling the memory.
TEST(PeersTest, ReadingStopsAtTheBoundsOfAnImport) {
  const std::string anchor(70000, 'a');  // times 1,000: past 64 MB
  std::string yaml = "matches:\n  - {trigger: ':t', replace: &t " + anchor + "}\n";
  std::string ahk, csv = "Name;Text\n", json = "{\"entries\": [", combos = "{\"combos\": [";
  for (int i = 0; i < 3400; ++i) {
    yaml += "  - {trigger: ':t" + std::to_string(i) + "', replace: *t}\n";
    ahk += "::a" + std::to_string(i) + "::";
    for (int k = 0; k < 20; ++k) ahk += "{a 999}";
    ahk += "\n";
  }
  for (std::size_t i = 0; i <= kMostImportedEntries; ++i) {
    csv += "x;y\n";
    json += std::string(i ? "," : "") + "{\"name\": \"x\"}";
    combos += std::string(i ? "," : "") + "{\"name\": \"x\", \"snippet\": \"\"}";
  }
  const char* const kText = "mehr Text, als ein Import aufnimmt (höchstens 64 MB)";
  const char* const kEntries = "mehr Einträge, als ein Import aufnimmt (höchstens 100.000)";
  const struct {
    LibraryFormat format;
    std::string bytes;
    const char* bound;
  } cases[] = {
      {LibraryFormat::kEspanso, yaml, kText},
      {LibraryFormat::kAhk, ahk, kText},
      {LibraryFormat::kCsv, csv, kEntries},
      {LibraryFormat::kJson, json + "]}", kEntries},
      {LibraryFormat::kBeeftext, combos + "]}", kEntries},
  };
  for (const auto& c : cases) {
    ImportResult r;
    TextProblem problem;
    EXPECT_FALSE(ReadLibrary(c.format, c.bytes, &r, &problem, ReadEspansoMatches)) << c.bound;
    EXPECT_NE(problem.what.find(c.bound), std::string::npos) << problem.what;
  }
}

}  // namespace
}  // namespace qm
