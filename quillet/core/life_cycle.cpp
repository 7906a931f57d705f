// Quillet's life cycle and the state it owns.
#include "quillet/core/life_cycle.h"

#include <algorithm>
#include <utility>

#include "platform/paths.h"
#include "platform/windows_version.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/numbers.h"
#include "text/utf.h"

namespace qm {
namespace {

// Marks, per user, that the first start's notification was shown.
constexpr const char* kWelcomeSetting = "Begruessung";

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

// Whether files can be created, replaced and deleted in `folder`: a probe file of a name no
// one uses goes there the way the data file's writes go (a new file renamed into place), and
// is deleted again.
Status ProbeWritableFolder(FileSystem& fs, const std::string& folder) {
  std::string probe;
  for (int n = 0; n < 100 && (probe.empty() || FileExists(fs, probe)); ++n) {
    probe = AddBackslash(folder) + "~Quillet-Schreibprobe" + std::to_string(n) + ".tmp";
  }
  Status s = fs.ReplaceAtomically(probe, "");
  if (s) fs.Delete(probe);
  return s;
}

}  // namespace

std::string MakeCaption(const std::string& context, bool windows_nt, const std::string& version) {
  std::string caption = windows_nt ? "\xE2\x80\xA2 " : ":: ";  // "• "
  caption += std::string(kQuilletTitle) + " " + version;
  if (!context.empty()) caption += " - " + context;
  return caption;
}

bool IsDebugCommandLine(std::string_view command_line) {
  const std::size_t first = command_line.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  std::string word(command_line.substr(first, command_line.find_last_not_of(' ') - first + 1));
  std::transform(word.begin(), word.end(), word.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return word == "debug";
}

bool IsAutostartCommandLine(std::string_view command_line) {
  std::size_t end = 0;
  for (;;) {
    const std::size_t start = command_line.find_first_not_of(" \t", end);
    if (start == std::string_view::npos) return false;
    end = std::min(command_line.find_first_of(" \t", start), command_line.size());
    if (FoldCase(command_line.substr(start, end - start)) == "/autostart") return true;
  }
}

std::string TakeOverCommandLine(const std::string& data_file) {
  // A Windows file name holds no quotes, so the quoted name needs no escapes.
  return "/TAKEOVER \"" + data_file + "\"";
}

std::optional<std::string> TakeOverDataFile(std::string_view command_line) {
  std::size_t end = 0;
  for (;;) {
    const std::size_t start = command_line.find_first_not_of(" \t", end);
    if (start == std::string_view::npos) return std::nullopt;
    if (command_line[start] == '"') {  // a quoted word, which may hold blanks
      end = std::min(command_line.find('"', start + 1), command_line.size() - 1) + 1;
      continue;
    }
    end = std::min(command_line.find_first_of(" \t", start), command_line.size());
    if (FoldCase(command_line.substr(start, end - start)) != "/takeover") continue;
    const std::size_t file = command_line.find_first_not_of(" \t", end);
    if (file == std::string_view::npos) return std::string();
    if (command_line[file] != '"') {
      return std::string(command_line.substr(file, command_line.find_first_of(" \t", file) - file));
    }
    const std::size_t close = command_line.find('"', file + 1);
    return std::string(command_line.substr(
        file + 1, (close == std::string_view::npos ? command_line.size() : close) - file - 1));
  }
}

PopupSettings LoadPopupSettings(IniStore& ini, const std::string& data_file) {
  // Values out of range read as the default.
  auto clamp = [](int v, int low, int high) { return v < low || v > high ? 0 : v; };
  const std::shared_ptr<const IniDocument> doc = ini.Snapshot(data_file);
  auto read = [&](const char* key, const char* fallback) {
    return NumericValue(doc ? doc->Find("Common", key).value_or(fallback) : fallback);
  };
  PopupSettings p;
  p.by_click = clamp(read("PumActBorderByClick", "0"), 0, 1);
  p.via_border = clamp(read("PumActViaBorder", "0"), 0, 1);
  p.pos = clamp(read("PumActPos", "0"), 0, 3);
  p.colour = read("PumActBorderCol", "-2147483633");
  p.mode = read("PumMode", "0");
  return p;
}

Status SavePopupSettings(IniStore& ini, const std::string& data_file, const PopupSettings& p) {
  return ini.WriteIniValues({{"Common", "PumActViaBorder", std::to_string(p.via_border)},
                             {"Common", "PumActBorderByClick", std::to_string(p.by_click)},
                             {"Common", "PumActPos", std::to_string(p.pos)},
                             {"Common", "PumActBorderCol", std::to_string(p.colour)},
                             {"Common", "PumMode", std::to_string(p.mode)}},
                            data_file);
}

QuilletCore::QuilletCore(const CoreServices& services, MainView& view, LifecycleHooks hooks)
    : s_(services),
      hooks_(std::move(hooks)),
      settings_(services.settings_store, kQuilletTitle),
      main_(services.main, view, data_file_) {
  main_.SetAfterCommand([this] {
    if (std::exchange(reload_deferred_, false)) ReloadIfChangedOutside();
    AskForRetry();
  });
}

void QuilletCore::Startup(std::string_view command_line) {
  const auto step_done = [this](const char* step) {
    if (hooks_.step_done) hooks_.step_done(step);
  };
  debug_mode_ = IsDebugCommandLine(command_line);
  autostart_ = IsAutostartCommandLine(command_line);
  handed_over_ = TakeOverDataFile(command_line).value_or("");
  windows_nt_ = IsWindowsNT(s_.system);
  app_dir_ = AppDir(s_.system);
  ResolveDataFile(DataFileMode::kStartup);
  if (ending_) return;
  step_done("library and lists");
  ignore_.Clear();
  caption_ = MakeCaption("", windows_nt_);
  main_.SetAppTitle(caption_);
  if (hooks_.set_captions) hooks_.set_captions(caption_);
  Call(hooks_.init_layout);
  Call(hooks_.restore_geometry);
  step_done("main window");
  if (!debug_mode_) Call(hooks_.install_tray_and_hide);
  step_done("tray icon");
  // Once per user: the first start that copied the sample before any setting was kept.
  if (!debug_mode_ && sample_copied_ && first_run_ &&
      settings_.ReadUserSetting(kWelcomeSetting, "").empty()) {
    settings_.SaveUserSetting(kWelcomeSetting, "1");
    Call(hooks_.welcome);
  }
  // The lists filled a moment ago still show the file unless it has changed since: then
  // filling them again would give the same lists, at the cost of a second start-up.
  Reload(main_.ChangedOutside() ? Lists::kFillAgain : Lists::kStillCurrent);
  step_done("settings");
  if (!windows_nt_) Call(hooks_.start_poll_timer);
  if (debug_mode_) Call(hooks_.show_monitor);
}

void QuilletCore::SetDefaultDataFile(PathKept kept) {
  data_file_ = app_dir_ + kDataFileName;
  const std::string sample = app_dir_ + kSampleFileName;
  if (!FileExists(s_.main.fs, data_file_) && FileExists(s_.main.fs, sample)) {
    // A copy that fails leaves no data file; the first write then creates one.
    if (std::optional<std::string> bytes = s_.main.fs.ReadAll(sample)) {
      sample_copied_ = s_.main.ini.CreateUnlessFilled(data_file_, *bytes).ok();
    }
  }
  if (kept == PathKept::kForNextStart) settings_.SaveUserSetting("path", data_file_);
}

FileReach QuilletCore::AwaitStoredLibrary() {
  const std::int64_t until = autostart_ && s_.pause ? s_.pause->SteadyMs() + kReachWaitMs : 0;
  for (;;) {
    const FileReach reach = s_.main.fs.Reach(data_file_);
    if (reach != FileReach::kFolderUnreachable) return reach;
    // At sign-in the network drive or the VPN often comes a little after the program.
    if (s_.pause && s_.pause->SteadyMs() < until) {
      if (s_.pause->Wait(kReachLookMs)) continue;
      ending_ = true;  // the program was ended meanwhile
      return reach;
    }
    const MessageAnswer answer = s_.main.dialogs.ShowMessage(
        UnreadableFileText(data_file_, reach) +
            "\r\n\r\nWiederholen: erneut versuchen.\r\nAbbrechen: für diesen Programmlauf die "
            "Textbausteine neben dem Programm verwenden.",
        main_.app_title(), MessageIcon::kExclamation, MessageButtons::kRetryCancel);
    if (answer != MessageAnswer::kRetry) return reach;
  }
}

bool QuilletCore::ResolveDataFile(DataFileMode mode) {
  switch (mode) {
    case DataFileMode::kDefault:
      SetDefaultDataFile(PathKept::kForNextStart);
      break;
    case DataFileMode::kChooseFolder: {
      const std::string folder =
          s_.main.dialogs.ChooseFolder("Bitte wählen Sie den neuen Ablageordner:").value_or("");
      if (folder.empty()) return false;
      const std::string candidate = AddBackslash(folder) + kDataFileName;
      // A library there would lose every edit: refused before anything changes.
      if (!ProbeWritableFolder(s_.main.fs, folder)) {
        s_.main.dialogs.ShowMessage(
            "In den ausgewählten Ordner kann nicht geschrieben werden:\r\n\r\n" + folder +
                "\r\n\r\nBitte wählen Sie einen Ordner, in dem Sie Dateien anlegen und ändern "
                "dürfen. Die Textbausteine bleiben am bisherigen Speicherort.",
            main_.app_title(), MessageIcon::kExclamation, MessageButtons::kOk);
        return false;
      }
      if (!FileExists(s_.main.fs, candidate)) {
        const MessageAnswer answer = s_.main.dialogs.ShowMessage(
            FormatText("Im ausgewählten Ordner befindet sich (noch) keine Quillet-datei.\\n\\n"
                       "Möchten Sie eine neue anlegen?"),
            main_.app_title(), MessageIcon::kQuestion, MessageButtons::kYesNo);
        if (answer != MessageAnswer::kYes) return false;
        if (Status s = s_.main.ini.CreateUnlessFilled(candidate, ""); !s) {
          ReportOnce(s);
          return false;
        }
      }
      data_file_ = candidate;
      settings_.SaveUserSetting("path", data_file_);
      break;
    }
    case DataFileMode::kStartup:
      // The file of the instance this one took over from, for this run: an administrator
      // may have other settings than the user who ran it.
      if (!handed_over_.empty()) {
        const FileReach there = s_.main.fs.Reach(handed_over_);
        if (there == FileReach::kThere || there == FileReach::kUnreadable) {
          data_file_ = handed_over_;
          break;
        }
      }
      data_file_ = settings_.ReadUserSetting("path", "");
      if (data_file_.empty()) {
        first_run_ = true;
        SetDefaultDataFile(PathKept::kForNextStart);
        break;
      }
      const FileReach reach = AwaitStoredLibrary();
      // Ended while it waited: no library beside the program is made or shown any more.
      if (ending_) return false;
      switch (reach) {
        case FileReach::kThere:
        case FileReach::kUnreadable:  // there: read again once it can be
          break;
        case FileReach::kMissing:
          s_.main.dialogs.ShowMessage(
              FormatText("Im angegebenen Ordner befindet sich keine Quillet-datei.\\n\\n"
                         "Die Pfadangabe wird daher auf Standardwerte zurückgesetzt."),
              main_.app_title(), MessageIcon::kInformation, MessageButtons::kOk);
          SetDefaultDataFile(PathKept::kForNextStart);
          break;
        case FileReach::kFolderUnreachable:
          // For this run only: the next start looks for the shared library again.
          SetDefaultDataFile(PathKept::kThisRunOnly);
          break;
      }
      break;
  }
  if (hooks_.show_path) hooks_.show_path(data_file_);
  ReloadFromDataFile();
  return true;
}

void QuilletCore::ReloadFromDataFile() {
  Reload(Lists::kFillAgain);
}

void QuilletCore::Reload(Lists lists) {
  // A file that cannot be read now is no empty library: the lists, the ignore list and the
  // settings stay as they are until it can be read again.
  unread_ = !main_.FileReadable();
  if (unread_) {
    // Nothing shown yet (a start): the controls follow the empty list.
    if (main_.CurrentEntryNumber() == 0) main_.UpdateControlStates();
    AskForRetry();
    return;
  }
  if (lists == Lists::kFillAgain) main_.LoadEntryList();
  ReportOnce(ignore_.Load(s_.main.ini, data_file_));
  popup_ = LoadPopupSettings(s_.main.ini, data_file_);
  if (hooks_.settings_loaded) hooks_.settings_loaded(popup_);
  Call(hooks_.place_edge_strip);
  main_.UpdateControlStates();
  main_.NoteFileState();
}

bool QuilletCore::SaveSettings() {
  const Status s = WriteOwn([&] { return SavePopupSettings(s_.main.ini, data_file_, popup_); });
  ReportOnce(s);
  return s.ok();
}

Status QuilletCore::WriteSettingValues(const std::vector<IniWrite>& writes) {
  const Status s = WriteOwn([&] { return s_.main.ini.WriteIniValues(writes, data_file_); });
  ReportOnce(s);
  return s;
}

Status QuilletCore::UpdateSettingValues(const IniStore::WritePlan& plan) {
  const Status s = WriteOwn([&] { return s_.main.ini.UpdateIniValues(plan, data_file_); });
  ReportOnce(s);
  return s;
}

std::shared_ptr<const IniDocument> QuilletCore::Snapshot() {
  return s_.main.ini.Snapshot(data_file_);
}

Status QuilletCore::WriteOwn(const std::function<Status()>& write) {
  // Our own write is no change from outside: otherwise the next activation would reload
  // and put back what the file holds over the choices that are only in memory. A change
  // from outside that came before it is still noticed.
  const bool known = !main_.ChangedOutside();
  Status s = write();
  if (s.ok() && known) main_.NoteFileState();
  return s;
}

void QuilletCore::PlaceEdgeStrip() {
  Call(hooks_.place_edge_strip);
}

void QuilletCore::ReloadIfChangedOutside() {
  if (main_.busy()) {
    reload_deferred_ = true;
    return;
  }
  // A text that could not be stored goes first, through the model's own store, so that it
  // reaches its entry; while one waits, the lists and the editor stay, or it would be lost.
  main_.RetryUnstoredText();
  if (main_.HoldsUnstoredText()) return;
  if (!unread_ && !main_.ChangedOutside()) return;
  const int number = main_.CurrentEntryNumber();
  const std::string name = main_.CurrentName();
  ReloadFromDataFile();
  main_.SelectEntry(number, name);
}

bool QuilletCore::RetryPending(bool window_shown) {
  if (main_.busy()) return true;
  main_.RetryUnstoredText();
  if (unread_ && !window_shown) ReloadIfChangedOutside();
  return Pending();
}

void QuilletCore::AskForRetry() {
  if (Pending() && hooks_.retry_later) hooks_.retry_later();
}

Status QuilletCore::AddIgnoredTitle(const std::string& title) {
  if (Status s = ignore_.Load(s_.main.ini, data_file_); !s) return s;
  return WriteOwn([&] { return ignore_.Add(s_.main.ini, data_file_, title); });
}

void QuilletCore::ReportOnce(const Status& status) {
  if (status.ok()) return;
  s_.main.dialogs.ShowMessage("Die Änderung konnte nicht gespeichert werden.\r\n\r\n" + status.message,
                         main_.app_title(), MessageIcon::kExclamation, MessageButtons::kOk);
}

void QuilletCore::Shutdown() {
  main_.StorePendingEdits(/*last_chance=*/true);
  Call(hooks_.unload_other_windows);
  Call(hooks_.save_geometry);
  if (!debug_mode_) Call(hooks_.remove_tray);
}

}  // namespace qm
