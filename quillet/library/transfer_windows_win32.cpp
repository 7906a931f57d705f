// The question and the report of an import or export: a line on top, the list in a read-only
// text that can be selected and copied, and the buttons below.
#include "quillet/library/transfer_windows_win32.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/pause_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/commands.h"
#include "ui/message_pump_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

// Twips. The line on top is planned for two lines of the message font; a longer one grows.
constexpr int kClientWidth = 8400, kMargin = 180, kInnerWidth = kClientWidth - 2 * kMargin;
constexpr int kSummaryHeight = 480, kTextHeight = 3000, kGap = 120;
constexpr int kButtonWidth = 1680, kButtonHeight = 375;

struct Button {
  QuilletCommand command;  // kNone: IDOK or IDCANCEL by `id`
  int id;
  const char* caption;
};

int Id(const Button& b) {
  return b.command == QuilletCommand::kNone ? b.id : CommandId(b.command);
}

const std::vector<Button> kQuestionButtons = {
    {QuilletCommand::kTransferKeep, 0, "&Beide behalten"},
    {QuilletCommand::kTransferReplace, 0, "&Ersetzen"},
    {QuilletCommand::kTransferSkip, 0, "&Überspringen"},
    {QuilletCommand::kNone, IDCANCEL, "Abbrechen"},
};
const std::vector<Button> kReportButtons = {
    {QuilletCommand::kTransferCopy, 0, "&Kopieren"},
    {QuilletCommand::kNone, IDOK, "OK"},
};

class TransferWindow final : public WindowFrame {
 public:
  TransferWindow(HWND owner, std::string summary, std::string text, std::vector<Button> buttons,
                 int default_id, Clipboard* clipboard)
      : owner_(owner),
        summary_(std::move(summary)),
        text_(std::move(text)),
        buttons_(std::move(buttons)),
        default_id_(default_id),
        clipboard_(clipboard) {}

 private:
  int TextTop() const { return kMargin + kSummaryHeight + extra_ + kGap; }
  int ButtonsTop() const { return TextTop() + kTextHeight + 2 * kGap; }
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override {
    return {kClientWidth, ButtonsTop() + kButtonHeight + kMargin};
  }
  int DpiAtCreation() const override {
    return WindowDpi(owner_ && IsWindowVisible(owner_) ? owner_ : hwnd());
  }
  void BeforeLayout(HFONT font) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;

  HWND owner_;
  std::string summary_;
  std::string text_;  // lines end in CR LF
  std::vector<Button> buttons_;
  int default_id_;
  Clipboard* clipboard_;
  int extra_ = 0;  // twips the line on top needs beyond its planned height
};

// Created in this order, which is the order of the Tab key: the buttons stand right-aligned.
std::vector<ControlRow> TransferWindow::Table() const {
  std::vector<ControlRow> rows = {
      {kTransferSummary, L"STATIC", summary_, SS_LEFT | SS_NOPREFIX, kMargin, kMargin, kInnerWidth,
       kSummaryHeight + extra_},
      {kTransferText, L"EDIT", "",
       ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, kMargin,
       TextTop(), kInnerWidth, kTextHeight},
  };
  const int count = static_cast<int>(buttons_.size());
  int left = kClientWidth - kMargin - count * kButtonWidth - (count - 1) * kGap;
  for (const Button& b : buttons_) {
    const int id = Id(b);
    rows.push_back(
        {id, L"BUTTON", b.caption,
         static_cast<DWORD>(id == default_id_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
         left, ButtonsTop(), kButtonWidth, kButtonHeight});
    left += kButtonWidth + kGap;
  }
  return rows;
}

void TransferWindow::BeforeLayout(HFONT font) {
  const int needed = WrappedTextHeight(hwnd(), font, summary_, kInnerWidth, dpi());
  extra_ = std::max(0, needed - kSummaryHeight);
}

void TransferWindow::OnCreate() {
  HWND text = GetDlgItem(hwnd(), kTransferText);
  SendMessageW(text, EM_SETLIMITTEXT, 0, 0);  // a long report is not cut at 32,767 characters
  SetWindowTextUtf8(text, text_);
  const SIZE outer = OuterSize();
  const POINT at = CentredPosition(owner_, outer);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(hwnd(), DM_SETDEFID, static_cast<WPARAM>(default_id_), 0);
  SetFocus(GetDlgItem(hwnd(), default_id_));
}

bool TransferWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  if (id == CommandId(QuilletCommand::kTransferCopy)) {
    if (clipboard_ && !clipboard_->WriteText(summary_ + "\r\n\r\n" + text_)) {
      MessageBoxW(hwnd(),
                  L"Der Bericht konnte nicht in die Zwischenablage gelegt werden; vermutlich wird "
                  L"sie gerade von einem anderen Programm benutzt.",
                  Utf8ToWide(GetWindowTextUtf8(hwnd())).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
    return true;
  }
  // Every other button ends the window with its id; Esc and the close box give IDCANCEL.
  if (id == IDCANCEL) return false;
  EndModal(id);
  return true;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += ToCrLf(line) + "\r\n";
  return text;
}

INT_PTR Run(TransferWindow& window, HWND owner, const std::string& caption) {
  return window.RunModal(GetModuleHandleW(nullptr), kTransferWindowClass,
                         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND,
                         caption, owner);
}

}  // namespace

ConflictChoice Win32TransferWindows::AskConflicts(const std::string& question,
                                                  const std::vector<std::string>& lines) {
  // Enter skips: the choice that changes no entry of the library.
  TransferWindow window(owner_, question, Joined(lines), kQuestionButtons,
                        CommandId(QuilletCommand::kTransferSkip), nullptr);
  switch (static_cast<QuilletCommand>(Run(window, owner_, caption_("Import")))) {
    case QuilletCommand::kTransferKeep:
      return ConflictChoice::kKeep;
    case QuilletCommand::kTransferReplace:
      return ConflictChoice::kReplace;
    case QuilletCommand::kTransferSkip:
      return ConflictChoice::kSkip;
    default:
      return ConflictChoice::kCancel;
  }
}

void Win32TransferWindows::ShowReport(const std::string& title, const std::string& summary,
                                      const std::vector<std::string>& lines) {
  TransferWindow window(owner_, summary, Joined(lines), kReportButtons, IDOK, &clipboard_);
  Run(window, owner_, caption_(title));
}

bool Win32TransferWindows::RunApart(const std::function<void()>& work) {
  // The thread tells its end by the event, which the wait below watches beside the messages.
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!done) {
    work();
    return true;
  }
  std::exception_ptr failure;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        work();
      } catch (...) {
        failure = std::current_exception();
      }
      SetEvent(done);
    });
  } catch (const std::system_error&) {
    CloseHandle(done);
    work();
    return true;
  }
  // No second import, no edit and no close while it runs; the keyboard hook's events and
  // the other windows' messages go on.
  const bool was_enabled = owner_ && !EnableWindow(owner_, FALSE);
  bool going_on = true;
  while (going_on && MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_ALLINPUT,
                                                 MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
    going_on = RunPendingMessages(DispatchWaitingMessage);
  }
  worker.join();
  CloseHandle(done);
  if (was_enabled) EnableWindow(owner_, TRUE);
  if (failure) std::rethrow_exception(failure);
  return going_on;
}

}  // namespace qm
