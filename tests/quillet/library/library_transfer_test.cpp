// Import and export from the menu against the fake services: the file types chosen, the
// conflict question and its answer, the work done apart, files that cannot be read, and what
// an export deciphers.
#include "quillet/library/library_transfer.h"

#include <gtest/gtest.h>

#include <functional>

#include "store/stored_text.h"
#include "tests/fakes/fake_file_dialogs.h"
#include "tests/quillet/main/main_model_fixture.h"

namespace qm {
namespace {

// The question and the report, recorded; the question answered as scripted.
struct FakeTransferWindows : TransferWindows {
  ConflictChoice AskConflicts(const std::string& q, const std::vector<std::string>& l) override {
    shown.push_back("? " + q);
    lines = l;
    return choice;
  }
  void ShowReport(const std::string& title, const std::string& summary,
                  const std::vector<std::string>& l) override {
    shown.push_back(title + ": " + summary);
    lines = l;
  }
  bool RunApart(const std::function<void()>& work) override {
    ++apart;
    if (meanwhile) meanwhile();
    work();
    return true;
  }
  ConflictChoice choice = ConflictChoice::kCancel;
  std::vector<std::string> shown, lines;
  int apart = 0;
  std::function<void()> meanwhile;  // what the user does while the import works
};

class LibraryTransferTest : public MainModelTest {
 protected:
  FakeFileDialogs files;
  FakeTransferWindows windows;
  LibraryTransfer transfer{{entries, fs, dialogs, files, windows}, data_file};
  void Choose(const std::string& path, std::size_t type) {
    files.answers.push_back(ChosenFile{path, type});
  }
};

TEST_F(LibraryTransferTest, TheImportDialogsTypeOrElseTheExtensionChoosesTheFormat) {
  fs.SetFile("C:\\b.json", "{\"combos\": []}");
  fs.SetFile("C:\\o.JSON", "{\"entries\": []}");
  const struct {
    std::size_t type;
    const char* path;
    std::optional<LibraryFormat> format;
  } cases[] = {
      {0, "C:\\x.txt", LibraryFormat::kCsv},       {1, "C:\\b.json", LibraryFormat::kBeeftext},
      {1, "C:\\o.JSON", LibraryFormat::kJson},     {2, "C:\\x", LibraryFormat::kEspanso},
      {3, "C:\\o.JSON", LibraryFormat::kBeeftext}, {4, "C:\\x.csv", LibraryFormat::kAhk},
      {5, "C:\\x.CSV", LibraryFormat::kCsv},       {5, "C:\\x.yaml", LibraryFormat::kEspanso},
      {5, "C:\\x.yml", LibraryFormat::kEspanso},   {5, "C:\\x.ahk", LibraryFormat::kAhk},
      {5, "C:\\b.json", LibraryFormat::kBeeftext}, {5, "C:\\o.JSON", LibraryFormat::kJson},
      {5, "C:\\gone.json", LibraryFormat::kJson},  {5, "C:\\x.txt", std::nullopt},
      {5, "C:\\a.csv\\x", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ImportFormatOf(c.type, c.path, fs), c.format) << c.path;
}

// A library with "Gruss"; the file has "Gruss" anew and two new entries.
TEST_F(LibraryTransferTest, AnImportMeetingTheLibraryAsksOnceAndDoesWhatTheUserChose) {
  const struct {
    ConflictChoice choice;
    std::map<std::string, std::string> library;
    const char* report;
    const char* done;      // in the report's (or the question's) line
    const char* selected;  // the number and name of the entry selected after it
  } cases[] = {
      {ConflictChoice::kReplace,
       {{"Gruss", "Servus"}, {"Neu", "n"}, {"Zwei", "z"}},
       "Import: 2 hinzugefügt, 1 ersetzt, 0 übersprungen.",
       "; ersetzt", "1 Gruss"},
      {ConflictChoice::kSkip,
       {{"Gruss", "text of Gruss"}, {"Neu", "n"}, {"Zwei", "z"}},
       "Import: 2 hinzugefügt, 0 ersetzt, 1 übersprungen.",
       "; übersprungen", "2 Neu"},
      {ConflictChoice::kKeep,
       {{"Gruss", "text of Gruss"}, {"Gruss (2)", "Servus"}, {"Neu", "n"}, {"Zwei", "z"}},
       "Import: 3 hinzugefügt, 0 ersetzt, 0 übersprungen.",
       "; behalten als „Gruss (2)“; beide behalten", "2 Gruss (2)"},
      {ConflictChoice::kCancel, {{"Gruss", "text of Gruss"}}, nullptr, "; behalten als „Gruss (2)“", ""},
  };
  for (const auto& c : cases) {
    fs.Delete(data_file);
    Library({"Gruss"});
    fs.SetFile("C:\\neu.csv", "Name;Text\r\nGruss;Servus\r\nNeu;n\r\nZwei;z\r\n");
    Choose("C:\\neu.csv", 0);
    windows = FakeTransferWindows();
    windows.choice = c.choice;
    bool reloaded_before_report = false;
    transfer.SetLibraryChanged([&] { reloaded_before_report = windows.shown.size() == 1; });
    std::string selected;
    transfer.SetSelectImported(
        [&](int number, const std::string& name) { selected = std::to_string(number) + " " + name; });
    EXPECT_EQ(transfer.Import(), c.report != nullptr);
    EXPECT_EQ(Reloaded(), c.library);
    ASSERT_FALSE(windows.shown.empty());
    EXPECT_EQ(windows.shown[0],
              "? 1 Eintrag aus „C:\\neu.csv“ trifft auf einen Eintrag der Bibliothek mit "
              "demselben Namen oder Kürzel. Was soll mit ihm geschehen?");
    EXPECT_EQ(windows.lines,
              std::vector<std::string>{"Zeile 2 „Gruss“: den Namen hat schon „Gruss“; bisher "
                                       "„text of Gruss“, neu „Servus“" +
                                       std::string(c.done)});
    EXPECT_EQ(reloaded_before_report, c.report != nullptr);
    EXPECT_EQ(selected, c.selected);
    EXPECT_EQ(windows.shown.size(), c.report ? 2u : 1u);
    if (c.report) {
      EXPECT_EQ(windows.shown[1], c.report);
    }
  }
  // Without conflicts and notes the counts come in a message box, after no question.
  fs.Delete(data_file);
  Library({"Gruss"});
  fs.SetFile("C:\\neu.csv", "Name;Text\r\nDrei;d\r\n");
  Choose("C:\\neu.csv", 5);
  windows = FakeTransferWindows();
  dialogs.messages.clear();
  EXPECT_TRUE(transfer.Import());
  EXPECT_TRUE(windows.shown.empty());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "1 hinzugefügt, 0 ersetzt, 0 übersprungen.");
}

// The window thread only asks and reports: the file is read and the entries stored apart, one
// name many times over renamed in turn, and meanwhile no second import or export starts.
TEST_F(LibraryTransferTest, AnImportWorksApartAndNothingElseStartsMeanwhile) {
  Library({"x"});
  fs.SetFile("C:\\neu.csv", "Name;Text\r\nx;1\r\nx;2\r\nx (2);3\r\nx;4\r\n");
  Choose("C:\\neu.csv", 0);
  windows.choice = ConflictChoice::kKeep;
  windows.meanwhile = [&] {
    EXPECT_FALSE(transfer.Import());
    transfer.Export();
  };
  EXPECT_TRUE(transfer.Import());
  EXPECT_EQ(windows.apart, 3);  // reading, asking under the lock, storing
  EXPECT_EQ(files.asked.size(), 1u);
  EXPECT_EQ(
      Reloaded(),
      (std::map<std::string, std::string>{
          {"x", "text of x"}, {"x (2)", "1"}, {"x (3)", "2"}, {"x (2) (2)", "3"}, {"x (4)", "4"}}));
}

TEST_F(LibraryTransferTest, AFileThatCannotBeImportedIsNamedAndChangesNothing) {
  Library({"Gruss"});
  fs.SetFile("C:\\kaputt.csv", "Name;Text\r\n\"offen;x\r\n");
  const struct {
    const char* path;
    std::size_t type;
    const char* message_starts;
  } cases[] = {
      {"C:\\fehlt.csv", 0, "Die Datei „C:\\fehlt.csv“ gibt es nicht."},
      {"C:\\kaputt.csv", 0, "„C:\\kaputt.csv“, Zeile 2: "},
      {"C:\\x.doc", 5, "Das Format der Datei „C:\\x.doc“ ist an ihrer Endung nicht"},
  };
  for (const auto& c : cases) {
    dialogs.messages.clear();
    Choose(c.path, c.type);
    EXPECT_FALSE(transfer.Import());
    ASSERT_EQ(dialogs.messages.size(), 1u) << c.path;
    EXPECT_EQ(dialogs.messages[0].text.rfind(c.message_starts, 0), 0u) << dialogs.messages[0].text;
    EXPECT_EQ(Reloaded(), (std::map<std::string, std::string>{{"Gruss", "text of Gruss"}}));
  }
  EXPECT_FALSE(transfer.Import());  // the dialog cancelled
  EXPECT_TRUE(windows.shown.empty());

  // A character the ANSI data file cannot hold: the file becomes Unicode on Yes, else nothing
  // is imported. An enciphered text stays in the code page and is not asked about.
  transfer.SetEnsureStorable(
      [&](const std::vector<std::string>& v) { return model.EnsureStorable(v); });
  fs.SetFile("C:\\pfeil.csv", "Name;Text;Chiffriert\r\nPfeil;\xE2\x86\x92;0\r\nG;x;1\r\n");
  for (MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
    dialogs.messages.clear();
    dialogs.message_answers.push_back(answer);
    Choose("C:\\pfeil.csv", 0);
    EXPECT_EQ(transfer.Import(), answer == MessageAnswer::kYes);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_NE(dialogs.messages[0].text.find("\xE2\x86\x92"), std::string::npos);
  }
  EXPECT_EQ(Reloaded().at("Pfeil"), "\xE2\x86\x92");
}

// "Offen" and "Geheim" (enciphered): the question about it, and what each answer writes.
TEST_F(LibraryTransferTest, AnExportDeciphersOnlyWithConsentAndSaysWhatItLeftOut) {
  ASSERT_TRUE(entries.WriteEntries(
      {{1, {"Offen", "o", "", 0, 0}}, {2, {"Geheim", "PIN", "", 1, 0}}}, data_file));
  Load();
  const struct {
    std::optional<MessageAnswer> answer;  // none: not asked
    std::optional<EntryKey> entry;
    bool written, has_secret;
    const char* report;
  } cases[] = {
      {MessageAnswer::kYes, std::nullopt, true, true, "2 exportiert."},
      {MessageAnswer::kNo, std::nullopt, true, false,
       "Export: 1 exportiert, 1 chiffrierte ausgelassen."},
      {MessageAnswer::kCancel, std::nullopt, false, false, nullptr},
      {std::nullopt, EntryKey{1, "Offen", {}}, true, false, "1 exportiert."},
      {std::nullopt, EntryKey{1, "Weg", {}}, false, false, nullptr},
  };
  for (const auto& c : cases) {
    fs.Delete("C:\\aus.csv");
    dialogs.messages.clear();
    windows = FakeTransferWindows();
    if (c.answer) dialogs.message_answers.push_back(*c.answer);
    Choose("C:\\aus.csv", 0);
    transfer.Export(c.entry);
    EXPECT_EQ(files.asked.back().suggested_name,
              c.entry ? FileNameOf(c.entry->name) : "Quillet-Bibliothek");
    const std::optional<std::string> file = fs.ReadAll("C:\\aus.csv");
    EXPECT_EQ(file.has_value(), c.written);
    if (file) {
      EXPECT_EQ(file->rfind("\xEF\xBB\xBFName;", 0), 0u) << *file;  // for a spreadsheet
      EXPECT_NE(file->find("Offen;o"), std::string::npos);
      EXPECT_EQ(file->find("Geheim;PIN") != std::string::npos, c.has_secret) << *file;
    }
    if (c.answer) {
      EXPECT_EQ(dialogs.messages[0].text,
                "1 Eintrag ist chiffriert. Soll er entschlüsselt in die Datei geschrieben werden?");
    }
    const std::string told =
        windows.shown.empty() ? dialogs.messages.back().text : windows.shown[0];
    if (c.report) {
      EXPECT_NE(told.find(c.report), std::string::npos) << told;
    }
  }
  EXPECT_EQ(windows.shown, std::vector<std::string>{});
  EXPECT_NE(dialogs.messages.back().text.find("„Weg“ ist in der Datendatei nicht mehr"),
            std::string::npos);
  EXPECT_EQ(FileNameOf("a/b:c?. "), "a_b_c_");
  // The data file as the target would lose the library.
  files.answers.push_back(ChosenFile{"c:/q/QUILLET.INI", 0});
  transfer.Export();
  EXPECT_EQ(Reloaded().size(), 2u);
  // Nor under another of its names, as a mapped drive or a link gives it.
  fs.AddOtherName("L:\\Quillet.ini", data_file);
  files.answers.push_back(ChosenFile{"L:\\Quillet.ini", 0});
  transfer.Export();
  EXPECT_FALSE(fs.Exists("L:\\Quillet.ini"));
  EXPECT_NE(dialogs.messages.back().text.find("Datendatei selbst"), std::string::npos);
  // A name typed with ".json" gets JSON, though the type was left on CSV.
  dialogs.message_answers.push_back(MessageAnswer::kNo);
  files.answers.push_back(ChosenFile{"C:\\aus.json", 0});
  transfer.Export();
  EXPECT_EQ(fs.ReadAll("C:\\aus.json").value_or("").substr(0, 1), "{");
}


}  // namespace
}  // namespace qm
