// Quillet's main window: entry list, rich-text editor, send options, buttons and menu bar,
// made of real Win32 controls that screen readers, automation and tests can drive.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillet/commands.h"
#include "quillet/main/glyph_editor_win32.h"
#include "quillet/main/main_model.h"
#include "quillet/main/main_view.h"
#include "ui/tray_icon_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr const wchar_t* kMainFormClass = L"QuilletMainForm";
// A message the main window takes from a second start of the program: show yourself.
inline constexpr const wchar_t* kShowMainWindowMessage = L"Ferrandel.Quillet.ShowMainWindow";

// Control ids. The buttons and menu items have their QuilletCommand as their id.
enum MainFormId : int {
  kIdEntriesGroup = 100,  // "Textbausteine"
  kIdList = 101,
  kIdEditingGroup = 102,  // "Bearbeitung"
  kIdEditor = 103,
  kIdCommandsGroup = 104,  // "Steuerung"
  kIdKeyRecordCheck = 110,
  kIdDosBoxCheck = 111,
  kIdCipherCheck = 112,
  kIdSendToLabel = 113,       // "Senden an das"
  kIdLastWindowOption = 114,  // target option 0
  kIdTitleOption = 115,       // target option 1
  kIdTitleBox = 116,
  kIdMenuLine = 117,
  kIdAbbreviationLabel = 118,
  kIdAbbreviation = 119,
  kIdAtOnceCheck = 120,
  kIdConflicts = 121,
  kIdDeliveryLabel = 122,
  kIdDelivery = 123,
  kIdFieldProblems = 124,
};

// What the window hands to the program rather than to the model.
struct MainFormCommands {
  // The buttons and the menus "&Datei", "&Texte", "&Extras", "&Hilfe".
  std::function<void(QuilletCommand command)> command;
  std::function<void()> close_box;                     // close box, system menu, Alt+F4
  std::function<void()> close_request;  // any other close: task manager, another program
  std::function<void()> activated;                      // the window becomes active
  std::function<void()> monitor_gesture;                // the hidden diagnostics gesture
  std::function<void()> end_session;                    // Windows ends the session
  std::function<void()> destroyed;
  std::function<void()> show_requested;                 // a second start asks to be shown
  std::function<void(TrayEvent event)> tray_icon;       // the icon's mouse events
  std::function<void(UINT_PTR id)> timer;               // a timer of the window
};

class MainForm final : public MainView, public WindowFrame {
 public:
  explicit MainForm(HINSTANCE instance);
  ~MainForm() override;
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // How the controls come: with the window, or (for a program that starts hidden) when the
  // window is first shown or something first needs a control itself. Until then the window
  // keeps what the model gives them and answers for them, and the libraries of the controls
  // (the common controls, the rich edit control) stay unloaded.
  using ControlCreation = GlyphEditor::Creation;
  // Creates the window, hidden, at its design size in the middle of the screen.
  bool Create(HICON icon, HICON small_icon,
              ControlCreation controls = ControlCreation::kWithWindow);
  // Makes the controls now if they are still to come.
  void EnsureControls();
  bool HasControls() const;
  // Whether the editor control exists yet.
  bool HasEditor() const;
  void Attach(MainModel* model, MainFormCommands commands);
  void DetachModel();
  // The program's icons in the notification area, which go with the window.
  TrayIcons& tray() { return tray_; }

  // Remembers the design geometry; from then on the window cannot get smaller.
  void InitLayout();
  // The outer rectangle in twips, and setting it.
  struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
  };
  TwipsRect OuterTwips() const;
  void SetOuterTwips(const TwipsRect& r);
  void SetCaption(const std::string& caption);

  // MainView.
  void ListClear() override;
  int ListAdd(const std::string& name) override;
  void ListAddAll(const std::vector<std::pair<std::string, int>>& items) override;
  void ListSetData(int pos, int number) override;
  int ListData(int pos) override;
  std::string ListText(int pos) override;
  int ListCount() override;
  void ListRemove(int pos) override;
  int ListSelection() override;
  void ListSelect(int pos) override;
  void TitleListAdd(const std::string& title) override;
  void TitleListAddAll(const std::vector<std::string>& titles) override;
  bool TitleListHas(const std::string& title) override;
  std::string TitleText() override;
  void SetTitleText(const std::string& text) override;
  void FocusTitleBox() override;
  std::string EditorText() override;
  void ShowGlyphText(const std::string& glyph_text) override;
  void ClearEditor() override;
  std::size_t EditorCaret() override;
  std::size_t EditorSelectionLength() override;
  std::string EditorSelectedText() override;
  void EditorReplaceSelection(const std::string& text) override;
  bool EditorCanUndo(UndoStep step) override;
  void EditorSetPictures(std::vector<std::string> files) override;
  void EditorUndo(UndoStep step) override;
  void EditorSelect(std::size_t start, std::size_t length) override;
  void FocusEditor() override;
  void ShowFormattedText(const std::string& glyph_text, const std::string& rtf) override;
  std::string EditorRtf() override;
  void EditorToggleStyle(TextStyle style) override;
  void EditorToggleList(ParagraphList list) override;
  void EditorMarkLink(const std::string& text, std::uint32_t colour) override;
  void EditorInsertPictureMark(std::uint32_t colour) override;
  void EditorClearFormat() override;
  void SetFieldProblemsText(const std::string& text) override;
  bool CryptChecked() override;
  void SetCryptChecked(bool on) override;
  bool DosBoxChecked() override;
  void SetDosBoxChecked(bool on) override;
  int DeliveryChoice() override;
  void SetDeliveryChoice(int index) override;
  int DestinationType() override;
  void SetDestinationType(int index) override;
  std::string AbbreviationText() override;
  void SetAbbreviationText(const std::string& text) override;
  bool AtOnceChecked() override;
  void SetAtOnceChecked(bool on) override;
  void SetConflictText(const std::string& text) override;
  void FocusAbbreviation() override;
  void ApplyControlStates(const ControlStates& states) override;
  Focus FocusedControl() override;

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override;
  SIZE Grown() const override;
  void AfterLayout(bool created) override;
  bool OnCommand(int id, int code) override;
  void OnTimer(UINT_PTR id) override;
  bool OnClose() override;
  bool OnDpiChanged(const RECT& suggested) override;
  void OnEndSession(bool close_app) override;
  void OnDestroy() override;
  void OnTrayIcon(unsigned id, TrayEvent event) override;
  void OnTaskbarCreated() override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // The controls placed for the window's size now; one smaller than at start-up is set back.
  void Relayout();
  double TwipsOf(int pixels) const;
  int Pixels(double twips) const;
  // "Bild einfügen...": the file chosen, then the model.
  void ChoosePicture();
  // The cipher box's own messages.
  // What the controls need once made: the hidden switch, the handlers, the delivery items.
  void PrepareControls();
  static LRESULT CALLBACK CryptBoxProc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR data);

  struct Impl;
  std::unique_ptr<Impl> impl_;
  TrayIcons tray_;
};

}  // namespace qm
