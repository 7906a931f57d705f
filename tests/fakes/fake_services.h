// Every fake service in one place, with the real data-file stores over the fake file system,
// for the tests of the models and the life cycle that need several of them at once.
#pragma once

#include "platform/portable_code_pages.h"
#include "quillet/main/main_model.h"
#include "quillet/core/life_cycle.h"
#include "quillet/send/sender.h"
#include "store/entries.h"
#include "store/ini_store.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_dialogs.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_keyboard.h"
#include "tests/fakes/fake_keyboard_layouts.h"
#include "tests/fakes/fake_pause.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_settings_store.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system_info.h"
#include "tests/fakes/fake_target_chooser.h"
#include "tests/fakes/fake_typing_pace.h"
#include "tests/fakes/fake_window_processes.h"

namespace qm {

// A test fixture derives from it as well, so that its tests name the fakes directly.
struct FakeServices {
  FakeFileSystem fs;
  Windows1252CodePage ansi;
  IniStore ini{fs, ansi};
  EntryStore entries{ini, ansi};
  FakeDialogs dialogs;
  FakeClipboard clipboard;
  FakeSettingsStore settings;
  FakeSystemInfo system;
  FakePause pause;
  FakeShell shell;
  FakeRegistry registry;
  FakeClock clock;
  FakeDesktop desktop;
  FakeKeyboard keyboard;
  FakeKeyboardLayouts layouts;
  FakeWindowProcesses processes;
  FakeTypingPace pace;
  FakeTargetChooser chooser;

  MainServices main_services() { return {ini, entries, fs, ansi, dialogs, clipboard}; }
  CoreServices core_services() { return {main_services(), settings, system, &pause}; }
  SenderServices sender_services() {
    return {entries, fs,        ansi,    clock,     desktop, keyboard,
            layouts, clipboard, dialogs, processes, pace,    chooser};
  }
};

}  // namespace qm
