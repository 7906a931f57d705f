// The window-title debugger's commands with scripted answers, on the real ignore list.
#include "quillet/diag/debugger.h"

#include <gtest/gtest.h>

#include "quillet/send/ignore_list.h"
#include "store/ini_document.h"
#include "tests/fakes/fake_services.h"

namespace qm {
namespace {

const std::string kFile = "C:\\Eigene Dateien\\Quillet Daten\\Quillet.ini";
const std::string kTitle = "\xE2\x80\xA2 Quillet 1.0";

class DebuggerTest : public testing::Test, protected FakeServices {
 protected:
  DebuggerTest() { ignored.Load(ini, kFile); }  // writes the two default titles

  bool Ignore(const std::optional<std::string>& marked) {
    return IgnoreMarkedTitle(dialogs, kTitle, marked,
                             [this](const std::string& t) { return ignored.Add(ini, kFile, t); });
  }
  std::string Key(const std::string& key) {
    return ini.Snapshot(kFile)->Find("Ignore", key).value_or("(none)");
  }

  IgnoreList ignored;
};

TEST_F(DebuggerTest, NothingMarkedOrNoChangesNothing) {
  const std::string before = *fs.ReadAll(kFile);
  EXPECT_FALSE(Ignore(std::nullopt));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Bitte markieren Sie zunächst den betreffenden Fenstertitel");
  EXPECT_EQ(dialogs.messages[0].title, kTitle);
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::kOk);

  dialogs.message_answers = {MessageAnswer::kNo};
  EXPECT_FALSE(Ignore("Editor - a.txt"));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text,
            "Soll der Fenstertitel 'Editor - a.txt'\rin Zukunft wirklich immer ignoriert werden?");
  EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::kQuestion);
  // Enter alone must not put a title on the list.
  EXPECT_EQ(dialogs.messages[1].buttons, MessageButtons::kYesNoDefaultNo);
  EXPECT_EQ(*fs.ReadAll(kFile), before);
  EXPECT_FALSE(ignored.Ignores("Editor - a.txt"));
}

TEST_F(DebuggerTest, YesAddsUnderTheNextNumberEvenWhenTheTitleIsAlreadyThere) {
  EXPECT_TRUE(Ignore("Editor - a.txt"));
  EXPECT_TRUE(Ignore("Editor - a.txt"));
  EXPECT_EQ(Key("3"), "Editor - a.txt");
  EXPECT_EQ(Key("4"), "Editor - a.txt");
  EXPECT_TRUE(ignored.Ignores("editor - A.TXT"));
  EXPECT_EQ(dialogs.messages.size(), 2u);  // the two questions, no complaint
}

TEST_F(DebuggerTest, AFailedWriteIsReported) {
  dialogs.message_answers = {MessageAnswer::kYes};
  EXPECT_FALSE(IgnoreMarkedTitle(dialogs, kTitle, std::string("x"), [](const std::string&) {
    return Status::Fail("Zugriff verweigert");
  }));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::kExclamation);
  EXPECT_NE(dialogs.messages[1].text.find("Zugriff verweigert"), std::string::npos);
}

TEST(DebuggerEditor, ThePathFollowsUnquotedEvenWithBlanks) {
  FakeShell shell;
  EXPECT_TRUE(EditDataFile(shell, kFile));
  EXPECT_EQ(shell.ran, std::vector<std::string>{"notepad " + kFile});
}

TEST(DebuggerLine, TheTitleStandsInApostrophesWithItsNoteAfterIt) {
  EXPECT_EQ(DebuggerLine({"Ohne Titel - Editor", "notepad.exe, Notepad: Tippen"}),
            "'Ohne Titel - Editor'  —  notepad.exe, Notepad: Tippen");
  EXPECT_EQ(DebuggerLine({"a'b", ""}), "'a'b'");
}

}  // namespace
}  // namespace qm
