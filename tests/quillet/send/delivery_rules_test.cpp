// Which delivery a window gets from the rules of the data file and the built-in ones.
#include "quillet/send/delivery_rules.h"

#include <gtest/gtest.h>

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"

namespace qm {
namespace {

// The user's rules come first and may override the built-in ones; a bad rule is named and
// left out, and the rules after it still count.
TEST(DeliveryRules, FirstMatchByProgramOrClassWithBadRulesNamed) {
  const Windows1252CodePage ansi;
  const IniDocument doc(
      // Windows-1252, as a German library is stored: "\xFC" is "ü".
      "[Regeln]\r\n1=MSTSC.EXE ; einf\xFCgen \r\n2=nur Text\r\n3=;Tasten\r\n"
      "4=Notepad;Schreiben\r\n5=Notepad;Einf\xFCgen Umschalt+Einfg\r\n",
      ansi);
  const DeliveryRules rules = ReadDeliveryRules(&doc);
  ASSERT_EQ(rules.problems.size(), 3u);
  EXPECT_EQ(rules.problems[0].number, 2);
  EXPECT_EQ(rules.problems[1].number, 3);
  EXPECT_EQ(rules.problems[2].value, "Notepad;Schreiben");
  const struct {
    const char* program;
    const char* window_class;
    std::optional<Delivery> delivery;
  } cases[] = {
      {"C:\\Windows\\System32\\mstsc.exe", "TscShellContainerClass", Delivery::kPaste},
      {"C:\\Tools\\VirtualBoxVM.exe", "Qt5QWindowIcon", Delivery::kKeys},
      {"C:\\Windows\\System32\\conhost.exe", "ConsoleWindowClass", Delivery::kConsole},
      {"WindowsTerminal.exe", "cascadia_hosting_window_class", Delivery::kPasteCtrlShiftV},
      {"C:\\cygwin\\bin\\mintty.exe", "mintty", Delivery::kPasteShiftInsert},
      {"notepad.exe", "Notepad", Delivery::kPasteShiftInsert},  // by its class
      {"notepad2.exe", "Notepad2", std::nullopt},                // whole names only
      {"", "", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchDelivery(rules, c.program, c.window_class), c.delivery) << c.program;
  }
  EXPECT_EQ(ReadDeliveryRules(nullptr).rules.size(), BuiltInDeliveryRules().size());
  for (Delivery d : {Delivery::kType, Delivery::kKeys, Delivery::kPaste,
                     Delivery::kPasteCtrlShiftV, Delivery::kPasteShiftInsert,
                     Delivery::kConsole}) {
    EXPECT_EQ(ParseDelivery(" " + DeliveryName(d) + " "), d);
  }
}

}  // namespace
}  // namespace qm
