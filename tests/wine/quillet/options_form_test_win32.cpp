// The Options dialog made only when first shown: what the model set before must be in it.
#include <windows.h>

#include <gtest/gtest.h>

#include "quillet/options_form_win32.h"
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
  EXPECT_EQ(test::ControlText(item(deferred, kOptPathTB)), "C:\\Daten\\Quillet.ini");
  const int ids[] = {
      kOptActivationBase,  kOptActivationBase + 1, kOptTriggerBase,
      kOptTriggerBase + 1, kOptPumModeChk,         kOptAutoStartChk,
      kOptEdgeBase,        kOptEdgeBase + 2,       CommandId(QuilletCommand::kOptColour),
      kOptColBtnSample,    kOptRedCircle};
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
  EXPECT_EQ(SendMessageW(item(deferred, kOptActivationBase + 1), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  EXPECT_EQ(SendMessageW(item(deferred, kOptPumModeChk), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(IsWindowVisible(item(deferred, kOptEdgeBase + 2)));
  EXPECT_FALSE(IsWindowVisible(item(deferred, kOptRedCircle)));

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

}  // namespace
}  // namespace qm
