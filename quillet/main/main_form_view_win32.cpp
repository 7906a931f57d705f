// Quillet's main window as the model's view: the list, the title box, the editor, the send
// options and the controls' states.
#include <richedit.h>

#include <algorithm>

#include "platform/utf16_win32.h"
#include "quillet/main/list_controls_win32.h"
#include "quillet/main/main_form_state_win32.h"
#include "quillet/main/main_form_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

std::wstring ControlTextW(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

}  // namespace

void MainForm::ListClear() {
  if (HeldMainView* held = impl_->Held()) return held->ListClear();
  SendMessageW(impl_->Item(kIdList), LB_RESETCONTENT, 0, 0);
}

int MainForm::ListAdd(const std::string& name) {
  if (HeldMainView* held = impl_->Held()) return held->ListAdd(name);
  return static_cast<int>(SendMessageW(impl_->Item(kIdList), LB_ADDSTRING, 0,
                                       reinterpret_cast<LPARAM>(Utf8ToWide(name).c_str())));
}

void MainForm::ListAddAll(const std::vector<std::pair<std::string, int>>& items) {
  if (HeldMainView* held = impl_->Held()) return held->ListAddAll(items);
  ListBoxAddAll(impl_->Item(kIdList), items);
}

void MainForm::ListSetData(int pos, int number) {
  if (HeldMainView* held = impl_->Held()) return held->ListSetData(pos, number);
  SendMessageW(impl_->Item(kIdList), LB_SETITEMDATA, static_cast<WPARAM>(pos), number);
}

int MainForm::ListData(int pos) {
  if (HeldMainView* held = impl_->Held()) return held->ListData(pos);
  return static_cast<int>(
      SendMessageW(impl_->Item(kIdList), LB_GETITEMDATA, static_cast<WPARAM>(pos), 0));
}

std::string MainForm::ListText(int pos) {
  if (HeldMainView* held = impl_->Held()) return held->ListText(pos);
  return ListBoxText(impl_->Item(kIdList), pos);
}

int MainForm::ListCount() {
  if (HeldMainView* held = impl_->Held()) return held->ListCount();
  return static_cast<int>(SendMessageW(impl_->Item(kIdList), LB_GETCOUNT, 0, 0));
}

void MainForm::ListRemove(int pos) {
  if (HeldMainView* held = impl_->Held()) return held->ListRemove(pos);
  SendMessageW(impl_->Item(kIdList), LB_DELETESTRING, static_cast<WPARAM>(pos), 0);
}

int MainForm::ListSelection() {
  if (HeldMainView* held = impl_->Held()) return held->ListSelection();
  return static_cast<int>(SendMessageW(impl_->Item(kIdList), LB_GETCURSEL, 0, 0));
}

void MainForm::ListSelect(int pos) {
  if (HeldMainView* held = impl_->Held()) return held->ListSelect(pos);
  SendMessageW(impl_->Item(kIdList), LB_SETCURSEL, static_cast<WPARAM>(pos), 0);
}

void MainForm::TitleListAdd(const std::string& title) {
  if (HeldMainView* held = impl_->Held()) return held->TitleListAdd(title);
  SendMessageW(impl_->Item(kIdTitleBox), CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(Utf8ToWide(title).c_str()));
}

void MainForm::TitleListAddAll(const std::vector<std::string>& titles) {
  if (HeldMainView* held = impl_->Held()) return held->TitleListAddAll(titles);
  ComboBoxAddMissing(impl_->Item(kIdTitleBox), titles);
}

bool MainForm::TitleListHas(const std::string& title) {
  if (HeldMainView* held = impl_->Held()) return held->TitleListHas(title);
  return ComboBoxHasExact(impl_->Item(kIdTitleBox), title);
}

std::string MainForm::TitleText() {
  if (HeldMainView* held = impl_->Held()) return held->TitleText();
  return WideToUtf8(ControlTextW(impl_->Item(kIdTitleBox)));
}

void MainForm::SetTitleText(const std::string& text) {
  if (HeldMainView* held = impl_->Held()) return held->SetTitleText(text);
  SetWindowTextW(impl_->Item(kIdTitleBox), Utf8ToWide(text).c_str());
}

void MainForm::FocusTitleBox() {
  if (HeldMainView* held = impl_->Held()) return held->FocusTitleBox();
  SetFocus(impl_->Item(kIdTitleBox));
}

std::string MainForm::EditorText() {
  return impl_->editor_control.Text();
}

void MainForm::ShowGlyphText(const std::string& glyph_text) {
  impl_->editor_control.ShowGlyphText(glyph_text);
}

void MainForm::ClearEditor() {
  impl_->editor_control.Clear();
}

std::size_t MainForm::EditorCaret() {
  return impl_->editor_control.Caret();
}

std::size_t MainForm::EditorSelectionLength() {
  return impl_->editor_control.SelectionLength();
}

std::string MainForm::EditorSelectedText() {
  EnsureControls();  // acts on the control itself
  return impl_->editor_control.SelectedText();
}

void MainForm::EditorReplaceSelection(const std::string& text) {
  EnsureControls();  // acts on the control itself
  impl_->editor_control.ReplaceSelection(text);
}

void MainForm::EditorSetPictures(std::vector<std::string> files) {
  // Kept by the editor for a control still to come too.
  impl_->editor_control.SetPictures(std::move(files));
}

bool MainForm::EditorCanUndo(UndoStep step) {
  return impl_->editor_control.CanUndo(step == UndoStep::kRedo);
}

void MainForm::EditorUndo(UndoStep step) {
  EnsureControls();  // acts on the control itself
  impl_->editor_control.Undo(step == UndoStep::kRedo);
}

void MainForm::EditorSelect(std::size_t start, std::size_t length) {
  impl_->editor_control.Select(start, length);
}

void MainForm::FocusEditor() {
  EnsureControls();  // acts on the control itself
  SetFocus(impl_->editor_control.Ensure());
}

void MainForm::ShowFormattedText(const std::string& glyph_text, const std::string& rtf) {
  impl_->editor_control.ShowFormatted(glyph_text, rtf);
}

std::string MainForm::EditorRtf() {
  return impl_->editor_control.Rtf();
}

// The format commands act on the control itself.
void MainForm::EditorToggleStyle(TextStyle style) {
  EnsureControls();
  impl_->editor_control.ToggleStyle(style == TextStyle::kBold     ? CFE_BOLD
                                    : style == TextStyle::kItalic ? CFE_ITALIC
                                                                  : CFE_UNDERLINE);
}

void MainForm::EditorToggleList(ParagraphList list) {
  EnsureControls();
  impl_->editor_control.ToggleList(list == ParagraphList::kBullet ? PFN_BULLET : PFN_ARABIC);
}

void MainForm::EditorMarkLink(const std::string& text, std::uint32_t colour) {
  EnsureControls();
  impl_->editor_control.MarkLink(text, colour);
}

void MainForm::EditorInsertPictureMark(std::uint32_t colour) {
  EnsureControls();
  impl_->editor_control.InsertPictureMark(colour);
}

void MainForm::EditorClearFormat() {
  EnsureControls();
  impl_->editor_control.ClearFormat();
}

void MainForm::SetFieldProblemsText(const std::string& text) {
  if (HeldMainView* held = impl_->Held()) return held->SetFieldProblemsText(text);
  SetWindowTextW(impl_->Item(kIdFieldProblems), Utf8ToWide(text).c_str());
}

bool MainForm::CryptChecked() {
  if (HeldMainView* held = impl_->Held()) return held->CryptChecked();
  return IsDlgButtonChecked(impl_->window, kIdCipherCheck) == BST_CHECKED;
}

void MainForm::SetCryptChecked(bool on) {
  if (HeldMainView* held = impl_->Held()) return held->SetCryptChecked(on);
  CheckDlgButton(impl_->window, kIdCipherCheck, on ? BST_CHECKED : BST_UNCHECKED);
}

bool MainForm::DosBoxChecked() {
  if (HeldMainView* held = impl_->Held()) return held->DosBoxChecked();
  return IsDlgButtonChecked(impl_->window, kIdDosBoxCheck) == BST_CHECKED;
}

void MainForm::SetDosBoxChecked(bool on) {
  if (HeldMainView* held = impl_->Held()) return held->SetDosBoxChecked(on);
  CheckDlgButton(impl_->window, kIdDosBoxCheck, on ? BST_CHECKED : BST_UNCHECKED);
}

int MainForm::DeliveryChoice() {
  if (HeldMainView* held = impl_->Held()) return held->DeliveryChoice();
  const LRESULT index = SendMessageW(impl_->Item(kIdDelivery), CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

void MainForm::SetDeliveryChoice(int index) {
  if (HeldMainView* held = impl_->Held()) return held->SetDeliveryChoice(index);
  SendMessageW(impl_->Item(kIdDelivery), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int MainForm::DestinationType() {
  if (HeldMainView* held = impl_->Held()) return held->DestinationType();
  return IsDlgButtonChecked(impl_->window, kIdTitleOption) == BST_CHECKED ? 1 : 0;
}

void MainForm::SetDestinationType(int index) {
  if (HeldMainView* held = impl_->Held()) return held->SetDestinationType(index);
  CheckRadioButton(impl_->window, kIdLastWindowOption, kIdTitleOption,
                   index == 1 ? kIdTitleOption : kIdLastWindowOption);
}

std::string MainForm::AbbreviationText() {
  if (HeldMainView* held = impl_->Held()) return held->AbbreviationText();
  return WideToUtf8(ControlTextW(impl_->Item(kIdAbbreviation)));
}

void MainForm::SetAbbreviationText(const std::string& text) {
  if (HeldMainView* held = impl_->Held()) return held->SetAbbreviationText(text);
  SetWindowTextW(impl_->Item(kIdAbbreviation), Utf8ToWide(text).c_str());
}

bool MainForm::AtOnceChecked() {
  if (HeldMainView* held = impl_->Held()) return held->AtOnceChecked();
  return IsDlgButtonChecked(impl_->window, kIdAtOnceCheck) == BST_CHECKED;
}

void MainForm::SetAtOnceChecked(bool on) {
  if (HeldMainView* held = impl_->Held()) return held->SetAtOnceChecked(on);
  CheckDlgButton(impl_->window, kIdAtOnceCheck, on ? BST_CHECKED : BST_UNCHECKED);
}

void MainForm::SetConflictText(const std::string& text) {
  if (HeldMainView* held = impl_->Held()) return held->SetConflictText(text);
  SetWindowTextW(impl_->Item(kIdConflicts), Utf8ToWide(text).c_str());
}

void MainForm::FocusAbbreviation() {
  if (HeldMainView* held = impl_->Held()) return held->FocusAbbreviation();
  // Left for another program, the field gets the focus when the window is active again.
  HWND field = impl_->Item(kIdAbbreviation);
  impl_->last_focus = field;
  if (GetActiveWindow() == impl_->window) SetFocus(field);
}

void MainForm::ApplyControlStates(const ControlStates& s) {
  Impl& m = *impl_;
  auto menu_item = [&](QuilletCommand command, bool on) {
    EnableMenuItem(m.menu, static_cast<UINT>(CommandId(command)),
                   MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  menu_item(QuilletCommand::kEditUndo, s.undo);
  menu_item(QuilletCommand::kEditRedo, s.redo);
  menu_item(QuilletCommand::kEditCut, s.cut_copy_delete);
  menu_item(QuilletCommand::kEditCopy, s.cut_copy_delete);
  menu_item(QuilletCommand::kEditPaste, s.paste);
  menu_item(QuilletCommand::kEditDelete, s.cut_copy_delete);
  menu_item(QuilletCommand::kEditFind, s.find);
  menu_item(QuilletCommand::kEditFindNext, s.find_next);
  menu_item(QuilletCommand::kMenuRenameEntry, s.entry_controls);
  menu_item(QuilletCommand::kMenuDeleteEntry, s.entry_controls);
  menu_item(QuilletCommand::kMenuExportEntry, s.entry_controls);
  for (QuilletCommand format :
       {QuilletCommand::kFormatBold, QuilletCommand::kFormatItalic,
        QuilletCommand::kFormatUnderline, QuilletCommand::kFormatLink,
        QuilletCommand::kFormatBullets, QuilletCommand::kFormatNumbers,
        QuilletCommand::kFormatPicture, QuilletCommand::kFormatClear}) {
    menu_item(format, s.entry_controls);
  }
  if (HeldMainView* held = m.Held()) {
    held->ApplyControlStates(s);
    m.editor_control.SetPendingEnabled(s.entry_controls);
    m.editor_control.SetWindowColour(s.window_colour);
    return;
  }
  for (int id : {static_cast<int>(kIdLastWindowOption), static_cast<int>(kIdTitleOption),
                 static_cast<int>(kIdSendToLabel), static_cast<int>(kIdList),
                 CommandId(QuilletCommand::kDeleteEntry), CommandId(QuilletCommand::kRenameEntry),
                 static_cast<int>(kIdEditor), static_cast<int>(kIdCipherCheck),
                 static_cast<int>(kIdDosBoxCheck), static_cast<int>(kIdAbbreviationLabel),
                 static_cast<int>(kIdAbbreviation), static_cast<int>(kIdAtOnceCheck),
                 static_cast<int>(kIdConflicts), static_cast<int>(kIdDeliveryLabel),
                 static_cast<int>(kIdDelivery), static_cast<int>(kIdFieldProblems)}) {
    HWND control = m.Item(id);
    if (!control) {
      if (id == kIdEditor) m.editor_control.SetPendingEnabled(s.entry_controls);  // not made yet
      continue;
    }
    // Disabling the control with the focus would leave the keyboard nowhere.
    if (!s.entry_controls && GetFocus() == control) {
      SetFocus(m.Item(CommandId(QuilletCommand::kNewEntry)));
    }
    EnableWindow(control, s.entry_controls);
  }
  EnableWindow(m.Item(kIdTitleBox), s.title_box);
  if (m.window_colour != s.window_colour) {
    m.window_colour = s.window_colour;
    InvalidateRect(m.Item(kIdList), nullptr, TRUE);
  }
  m.editor_control.SetWindowColour(s.window_colour);
}

MainView::Focus MainForm::FocusedControl() {
  Impl& m = *impl_;
  if (m.Held()) return Focus::kOther;
  HWND focus = GetFocus();
  if (!focus) return Focus::kOther;
  if (m.editor() && focus == m.editor()) return Focus::kEditor;
  if (focus == m.Item(kIdCipherCheck)) return Focus::kCryptBox;
  HWND box = m.Item(kIdTitleBox);
  if (focus == box || GetParent(focus) == box) return Focus::kTitleBox;
  return Focus::kOther;
}

}  // namespace qm
