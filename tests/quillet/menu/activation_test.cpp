// Opening the menu from the icon and the strip: what happens, in which order, for each button.
#include "quillet/menu/activation.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using Calls = std::vector<std::string>;

struct Recorder {
  bool visible = false;
  WindowHandle found = 0x1234, last_used = 0x9999;  // the latter from an earlier click
  Calls calls;

  ActivationHooks Hooks(bool windows_nt = true) {
    auto rec = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
    ActivationHooks h;
    h.windows_nt = windows_nt;
    h.store_pending_edits = rec("store");
    h.find_last_used_window = [this] { return calls.push_back("find"), found; };
    h.set_last_used_window = [this](WindowHandle w) { last_used = w; };
    h.bring_main_window_to_front = rec("front");
    h.show_popup_menu = rec("menu");
    h.main_window_visible = [this] { return visible; };
    h.hide_main_window = [this] { calls.push_back("hide"), visible = false; };
    h.show_main_window_normal = [this] { calls.push_back("show"), visible = true; };
    return h;
  }
};

const Calls kMenu = {"store", "find", "front", "menu"};

TEST(Activation, LeftButtonStoresAndFindsTheTargetBeforeTheMenuOpens) {
  const struct {
    bool windows_nt;
    WindowHandle found;
    Calls calls;
    WindowHandle last_used;
  } cases[] = {
      {true, 0x1234, kMenu, 0x1234},
      {true, 0, kMenu, 0},  // nothing found replaces the earlier target too
      {false, 0x1234, {"store", "front", "menu"}, 0x9999},  // the poll timer's business
  };
  for (const auto& c : cases) {
    Recorder r;
    r.found = c.found;
    OnActivationClick(kLeftButton, r.Hooks(c.windows_nt));
    EXPECT_EQ(r.calls, c.calls);
    EXPECT_EQ(r.last_used, c.last_used);
  }
}

TEST(Activation, OtherButtonsToggleTheMainWindowAndLeaveTheTarget) {
  Recorder r;
  for (int button : {kRightButton, kRightButton, kMiddleButton}) {
    OnActivationClick(button, r.Hooks());
  }
  EXPECT_EQ(r.calls, (Calls{"show", "hide", "show"}));
  EXPECT_EQ(r.last_used, 0x9999u);
}

TEST(Activation, ALeftPressWhileASendIsUnderWayDoesNothing) {
  // The choice dialog of a send is open, or its target is being typed into: a second menu
  // would take the foreground from the target, and a snippet chosen from it could not be
  // sent. The right button still toggles the main window.
  for (const int button : {kLeftButton, kRightButton}) {
    Recorder r;
    ActivationHooks h = r.Hooks();
    h.send_under_way = [] { return true; };
    OnActivationClick(button, h);
    EXPECT_EQ(r.calls, button == kLeftButton ? Calls{} : Calls{"show"}) << button;
    EXPECT_EQ(r.last_used, 0x9999u) << "the target of the running send stays";
  }
  Recorder r;
  ActivationHooks h = r.Hooks();
  h.send_under_way = [] { return false; };
  OnActivationClick(kLeftButton, h);
  EXPECT_EQ(r.calls, kMenu);

  // The strip in hover mode goes the same way.
  Recorder strip;
  ActivationHooks sh = strip.Hooks();
  sh.send_under_way = [] { return true; };
  OnStripMouseMove(PopupSettings{}, sh);
  EXPECT_EQ(strip.calls, Calls{});
}

TEST(Activation, StripOpensOnMovementOrActsOnThePressedButton) {
  constexpr int kMove = 0;
  const struct {
    int by_click, event;
    Calls calls;
  } cases[] = {
      {0, kMove, kMenu},
      {0, kLeftButton, {}},
      {0, kRightButton, {}},
      {1, kMove, {}},
      {1, kLeftButton, kMenu},
      {1, kRightButton, {"show"}},
      {1, kMiddleButton, {"show"}},
  };
  for (const auto& c : cases) {
    Recorder r;
    PopupSettings s;
    s.by_click = c.by_click;
    if (c.event == kMove) {
      OnStripMouseMove(s, r.Hooks());
    } else {
      OnStripMouseDown(s, c.event, r.Hooks());
    }
    EXPECT_EQ(r.calls, c.calls) << c.by_click << " " << c.event;
  }
}

}  // namespace
}  // namespace qm
