// The Options dialog made only when first shown: what the model set before must be in it.
#include <windows.h>

#include <gtest/gtest.h>

#include "quillet/options/delivery_settings.h"
#include "quillet/options/options_form_win32.h"
#include "tests/wine/support/window_driver_win32.h"

namespace qm {
namespace {

// The settings a start-up gives the dialog, in the same calls for both ways of making it.
void SetAsAtStartUp(OptionsForm& form) {
  form.SetPathText("C:\\Daten\\Quillet.ini");
  form.SelectActivation(1);
  form.SelectTrigger(1);
  form.SelectEdge(2);
  form.SetCascading(true);
  form.SetAutostart(true);
  form.SetSampleColour(0x00FF00);
  form.ApplyBorderControls({/*edge_controls_visible=*/true, /*red_circle_visible=*/false,
                            /*trigger_enabled=*/true});
  form.SetDelivery("250", "mstsc.exe;Tippen\r\nputty.exe;Einfügen", "Danach gelten ...");
  // A later change wins, as it would in a dialog that already exists.
  form.SetCascading(false);
}

TEST(OptionsFormTest, MadeWhenFirstShownItShowsWhatWasSetBefore) {
  HWND main = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  OptionsForm at_once, deferred;
  HWND created = nullptr;
  deferred.on_created = [&](HWND w) { created = w; };
  ASSERT_TRUE(at_once.Create(GetModuleHandleW(nullptr), main, "Optionen"));
  ASSERT_TRUE(deferred.Create(GetModuleHandleW(nullptr), main, "Optionen", true));
  SetAsAtStartUp(at_once);
  SetAsAtStartUp(deferred);
  deferred.Hide();
  EXPECT_EQ(deferred.hwnd(), nullptr);
  deferred.Show();
  ASSERT_NE(deferred.hwnd(), nullptr);
  EXPECT_EQ(created, deferred.hwnd());
  at_once.Show();

  auto item = [](OptionsForm& form, int id) {
    HWND c = GetDlgItem(form.hwnd(), id);
    // The option groups sit on panels of their own.
    for (HWND panel = nullptr; !c && (panel = FindWindowExW(form.hwnd(), panel,
                                                            kOptionsPanelClass, nullptr));) {
      c = GetDlgItem(panel, id);
    }
    return c;
  };
  EXPECT_EQ(test::ControlText(item(deferred, kDataFilePath)), "C:\\Daten\\Quillet.ini");
  const int ids[] = {
      kActivationBase,  kActivationBase + 1, kTriggerBase,
      kTriggerBase + 1, kCascadingCheck,         kAutostartCheck,
      kEdgeBase,        kEdgeBase + 2,       CommandId(QuilletCommand::kOptColour),
      kColourSample,    kRedCircle};
  for (int id : ids) {
    SCOPED_TRACE(id);
    HWND a = item(at_once, id), d = item(deferred, id);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(SendMessageW(d, BM_GETCHECK, 0, 0), SendMessageW(a, BM_GETCHECK, 0, 0));
    EXPECT_EQ(IsWindowVisible(d), IsWindowVisible(a));
    EXPECT_EQ(IsWindowEnabled(d), IsWindowEnabled(a));
    EXPECT_EQ(GetWindowLongPtrW(d, GWL_STYLE) & WS_TABSTOP,
              GetWindowLongPtrW(a, GWL_STYLE) & WS_TABSTOP);
  }
  EXPECT_EQ(SendMessageW(item(deferred, kActivationBase + 1), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  EXPECT_EQ(SendMessageW(item(deferred, kCascadingCheck), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(IsWindowVisible(item(deferred, kEdgeBase + 2)));
  EXPECT_FALSE(IsWindowVisible(item(deferred, kRedCircle)));
  EXPECT_EQ(deferred.PasteFromText(), "250");
  EXPECT_EQ(deferred.RulesText(), "mstsc.exe;Tippen\r\nputty.exe;Einfügen");
  EXPECT_EQ(test::ControlText(item(deferred, kBuiltInRules)), "Danach gelten ...");

  // Unloaded before it was ever shown, it is not made any more.
  OptionsForm never;
  ASSERT_TRUE(never.Create(GetModuleHandleW(nullptr), main, "Optionen", true));
  never.Destroy();
  never.Show();
  EXPECT_EQ(never.hwnd(), nullptr);
  at_once.Destroy();
  deferred.Destroy();
  DestroyWindow(main);
}

// Every control inside the dialog, and every caption within its control, at 100, 150 and
// 200 %, the dialog no taller than a 1280x1024 screen; the rules' labels lead to their fields, and a bad line comes back selected.
TEST(OptionsFormTest, TheDeliveryFitsAtEveryDpiAndABadLineIsSelected) {
  OptionsForm form;
  ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), nullptr, "Optionen"));
  form.SetDelivery("500", "a;Tippen\r\nb Tasten\r\nc;Tasten", AllowedDeliveriesText());
  form.Show();
  HWND dialog = form.hwnd();
  for (int dpi : {96, 144, 192}) {
    SCOPED_TRACE(dpi);
    RECT suggested{0, 0, 100, 100};
    SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT client{};
    GetClientRect(dialog, &client);
    // The keyboard's list and the log's boxes made it taller: still within a 1024-pixel screen.
    RECT outer{};
    GetWindowRect(dialog, &outer);
    EXPECT_LE(outer.bottom - outer.top, 1024);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      const RECT r = test::ControlRect(c);
      const int id = GetDlgCtrlID(c);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
          << "control " << id;
      wchar_t text[1024] = {};
      GetWindowTextW(c, text, 1024);
      wchar_t cls[32] = {};
      GetClassNameW(c, cls, 32);
      if (!*text || lstrcmpiW(cls, L"Static") != 0) continue;
      HDC dc = GetDC(c);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)));
      RECT need{0, 0, r.right - r.left, 0};
      DrawTextW(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK);
      SelectObject(dc, old);
      ReleaseDC(c, dc);
      EXPECT_LE(need.right, r.right - r.left) << "control " << id;
      EXPECT_LE(need.bottom, r.bottom - r.top) << "control " << id;
    }
  }
  for (int field : {kPasteFrom, kRules}) {
    HWND label = GetWindow(GetDlgItem(dialog, field), GW_HWNDPREV);
    EXPECT_EQ(GetDlgCtrlID(label), field == kRules ? kRulesLabel : kPasteFromLabel);
  }
  // Only digits go into the threshold.
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, kPasteFrom), GWL_STYLE) & ES_NUMBER);
  form.FocusRuleLine(2);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kRules));
  DWORD start = 0, end = 0;
  SendDlgItemMessageW(dialog, kRules, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                      reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 10u);
  EXPECT_EQ(end, 18u);
  form.Destroy();
}

}  // namespace
}  // namespace qm
