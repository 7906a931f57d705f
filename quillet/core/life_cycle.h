// Quillet's life cycle: start-up, the data-file choice, the reload of everything derived from
// the data file, and shutdown, with the program-wide state they own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/pause.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"
#include "quillet/main/main_model.h"
#include "quillet/menu/popup_settings.h"
#include "quillet/send/ignore_list.h"
#include "store/user_settings.h"
#include "ui/version_text.h"

namespace qm {

inline constexpr const char* kQuilletTitle = "Quillet";
inline constexpr const char* kDataFileName = "Quillet.ini";
inline constexpr const char* kSampleFileName = "sample.ini";
inline constexpr char kNameNumberDelimiter = '\x03';

// "• Quillet 1.0" on NT-family systems, ":: Quillet 1.0" elsewhere; " - context" follows
// when there is one. Every window of the program starts its caption with MakeCaption("").
std::string MakeCaption(const std::string& context, bool windows_nt,
                        const std::string& version = AppVersionString(VersionText::kShort));

// True when the command line, trimmed of blanks and lower-cased, is "debug".
bool IsDebugCommandLine(std::string_view command_line);
// True when one word of the command line is "/AUTOSTART", letter case ignored: the program
// was started at sign-in, when network drives may not be connected yet.
bool IsAutostartCommandLine(std::string_view command_line);
// A new instance started with `/TAKEOVER "data file"` takes over from the one running: that
// one is asked to end (and stores what it holds), and the new one goes on with its data file.
// An ordinary second start hands over to the first one instead.
std::string TakeOverCommandLine(const std::string& data_file);
// The data file a takeover names (empty where it names none); nullopt where the command line
// asks for no takeover.
std::optional<std::string> TakeOverDataFile(std::string_view command_line);

// How long a start at sign-in waits quietly for a library whose folder is out of reach, and
// how often it looks meanwhile.
inline constexpr int kReachWaitMs = 30000;
inline constexpr int kReachLookMs = 1000;

// The popup menu's settings, section "Common" of the data file; out-of-range values read as 0.
PopupSettings LoadPopupSettings(IniStore& ini, const std::string& data_file);
Status SavePopupSettings(IniStore& ini, const std::string& data_file, const PopupSettings& p);

// How the data file is chosen: at start-up, reset to the default, or in a folder the user
// picks.
enum class DataFileMode { kStartup = 0, kDefault = 1, kChooseFolder = 2 };

// What the program's windows do for the life cycle; each may be empty in a test.
struct LifecycleHooks {
  std::function<void(const std::string& caption)> set_captions;  // main window, app title
  std::function<void()> init_layout;
  std::function<void()> restore_geometry;
  std::function<void()> install_tray_and_hide;
  // The very first start, with the sample library just copied: the icon says once what it is
  // for, without a window that takes the front.
  std::function<void()> welcome;
  std::function<void(const std::string& path)> show_path;  // the Options dialog's path field
  std::function<void(const PopupSettings&)> settings_loaded;
  std::function<void()> place_edge_strip;
  std::function<void()> start_poll_timer;
  std::function<void()> show_monitor;
  // A step of the start-up is over: for the trace of where the start-up goes.
  std::function<void(const char* step)> step_done;
  // Something waits for the data file (a text that could not be stored, a reload that could
  // not read it): RetryPending should run in a few seconds, and again while it says so.
  std::function<void()> retry_later;
  // Shutdown.
  std::function<void()> unload_other_windows;
  std::function<void()> save_geometry;
  std::function<void()> remove_tray;
};

struct CoreServices {
  MainServices main;
  SettingsStore& settings_store;
  SystemInfo& system;
  // Lets a start at sign-in wait for a library out of reach; none: no waiting.
  Pause* pause = nullptr;
};

class QuilletCore {
 public:
  QuilletCore(const CoreServices& services, MainView& view, LifecycleHooks hooks);

  void Startup(std::string_view command_line);
  // False when the user stopped the choice; nothing changed then.
  bool ResolveDataFile(DataFileMode mode);
  void ReloadFromDataFile();
  // The popup settings in memory go to the data file; a failed write is reported.
  bool SaveSettings();
  // Shows, places or hides the screen-edge strip by the settings in memory.
  void PlaceEdgeStrip();
  void Shutdown();

  // Before the main window is shown or activated: a data file changed outside the program
  // is read again, so that no write goes to an entry whose number has moved. While a command
  // of the main window runs (a message box of its own activates the window when it closes),
  // the reload waits until the command is done.
  void ReloadIfChangedOutside();
  // Tries again what waits for the data file: the text that could not be stored and, while
  // the window is hidden (no reload under the user's hands), the reload that could not read
  // the file. True while something still waits.
  bool RetryPending(bool window_shown);

  // Puts a title on the ignore list, in memory and in the file under the file's next free
  // number (also when the title is there already). The file may have been edited by hand
  // since it was read, so the list is read afresh first and no title of the user's is
  // overwritten or left behind a gap.
  Status AddIgnoredTitle(const std::string& title);
  // Writes settings of the program's own into the data file at once, as its own change (no
  // reload follows from it); a failure is reported.
  Status WriteSettingValues(const std::vector<IniWrite>& writes);
  // The same with the writes planned under the update lock from the file as it is then.
  Status UpdateSettingValues(const IniStore::WritePlan& plan);
  // The data file as it is now; null where it is missing or cannot be read.
  std::shared_ptr<const IniDocument> Snapshot();

  MainModel& main() { return main_; }
  bool debug_mode() const { return debug_mode_; }
  const std::string& data_file() const { return data_file_; }
  const PopupSettings& popup_settings() const { return popup_; }
  PopupSettings& popup_settings() { return popup_; }
  IgnoreList& ignore_list() { return ignore_; }
  const std::string& caption() const { return caption_; }
  bool windows_nt() const { return windows_nt_; }

 private:
  enum class PathKept { kForNextStart, kThisRunOnly };
  // The library beside the program.
  void SetDefaultDataFile(PathKept kept);
  // Looks for the stored library, waiting for its folder as the start requires.
  FileReach AwaitStoredLibrary();
  bool Pending() { return unread_ || main_.TextStoreFailed(); }
  void AskForRetry();
  enum class Lists { kFillAgain, kStillCurrent };
  // ReloadFromDataFile; lists still current are left as they are.
  void Reload(Lists lists);
  void ReportOnce(const Status& status);
  Status WriteOwn(const std::function<Status()>& write);

  CoreServices s_;
  LifecycleHooks hooks_;
  UserSettings settings_;
  std::string data_file_;
  bool debug_mode_ = false;
  bool autostart_ = false;
  std::string handed_over_;  // the data file of the instance this one took over from
  // This start kept no data file yet, and copied the sample for it.
  bool first_run_ = false, sample_copied_ = false;
  bool ending_ = false;  // ended while the start waited
  bool windows_nt_ = true;
  std::string app_dir_;
  std::string caption_;
  PopupSettings popup_;
  IgnoreList ignore_;
  MainModel main_;
  bool reload_deferred_ = false;
  bool unread_ = false;  // the last reload found the file unreadable and changed nothing
};

}  // namespace qm
