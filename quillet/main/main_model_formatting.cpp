// The main window's menu "&Format": bold, italic, underline, lists and clearing act on the
// editor at once; a link and a picture are asked for and kept beside the editor's text.
#include <string>

#include "quillet/main/main_model.h"
#include "text/text_lists.h"

namespace qm {

void MainModel::OnFormatCommand(QuilletCommand command) {
  const Busy busy(*this);
  if (CurrentEntryNumber() <= 0) return;
  using Style = MainView::TextStyle;
  using List = MainView::ParagraphList;
  switch (command) {
    case QuilletCommand::kFormatBold: view_.EditorToggleStyle(Style::kBold); break;
    case QuilletCommand::kFormatItalic: view_.EditorToggleStyle(Style::kItalic); break;
    case QuilletCommand::kFormatUnderline: view_.EditorToggleStyle(Style::kUnderline); break;
    case QuilletCommand::kFormatBullets: view_.EditorToggleList(List::kBullet); break;
    case QuilletCommand::kFormatNumbers: view_.EditorToggleList(List::kNumber); break;
    case QuilletCommand::kFormatClear: view_.EditorClearFormat(); break;
    case QuilletCommand::kFormatLink: InsertLink(); break;
    default: break;
  }
}

void MainModel::InsertLink() {
  const bool selected = view_.EditorSelectionLength() > 0;
  const Quiet quiet(*this, true);  // while the input box is open, as with a message box
  const std::string address = TrimBlanks(
      s_.dialogs
          .AskText("Adresse des Links (http://, https://, mailto:, ftp:// oder tel:):",
                   MessageTitle(), "https://")
          .value_or(""));
  if (address.empty()) return;
  if (!LinkAddressAllowed(address)) {
    Ask("\xE2\x80\x9E" + address +
            "\xE2\x80\x9C kann kein Link werden. Ein Link beginnt mit http://, https://, "
            "mailto:, ftp:// oder tel:.",
        MessageIcon::kExclamation, MessageButtons::kOk);
    return;
  }
  std::string text;
  if (!selected) {
    text = TrimBlanks(s_.dialogs.AskText("Text des Links:", MessageTitle(), address).value_or(""));
    if (text.empty()) return;
  }
  const std::optional<std::size_t> index = attachments_.AddLink(address);
  if (!index) {
    Ask("Ein Eintrag kann höchstens " + std::to_string(kMaxEditorLinks) +
            " verschiedene Links enthalten.",
        MessageIcon::kExclamation, MessageButtons::kOk);
    return;
  }
  view_.EditorMarkLink(text, LinkColour(*index));
}

void MainModel::ShowAttachedPictures() {
  std::vector<std::string> files;
  for (const RichNode& picture : attachments_.pictures) {
    std::string mime, bytes;
    DecodeDataPicture(picture.value, &mime, &bytes);  // checked when the HTML was read
    files.push_back(std::move(bytes));
  }
  view_.EditorSetPictures(std::move(files));
}

void MainModel::InsertPicture(const std::string& path) {
  const Busy busy(*this);
  if (CurrentEntryNumber() <= 0) return;
  InsertPictureBytes(s_.fs.ReadAll(path), path);
}

void MainModel::InsertPictureBytes(const std::optional<std::string>& bytes,
                                   const std::string& path) {
  // `path` is empty for the clipboard's picture.
  const std::string where = path.empty() ? "" : ":\r\n" + path;
  std::optional<RichNode> picture;
  if (!bytes) {
    Ask(path.empty() ? "Das Bild in der Zwischenablage konnte nicht gelesen werden."
                     : "Das Bild konnte nicht gelesen werden" + where,
        MessageIcon::kExclamation, MessageButtons::kOk);
  } else if (bytes->size() > kMaxRichPictureBytes) {
    Ask(std::string(path.empty() ? "Das Bild in der Zwischenablage" : "Das Bild") +
            " ist größer als 1 MB und kann nicht eingefügt werden. Verkleinern Sie es, etwa "
            "mit einem Bildprogramm, und fügen Sie es dann ein.",
        MessageIcon::kExclamation, MessageButtons::kOk);
  } else if (!(picture = PictureFromFile(*bytes))) {
    Ask(std::string(path.empty() ? "Das Bild in der Zwischenablage" : "Die Datei") +
            " ist kein PNG- oder JPEG-Bild und kann nicht eingefügt werden" +
            (path.empty() ? "." : where),
        MessageIcon::kExclamation, MessageButtons::kOk);
  } else if (const std::optional<std::size_t> index = attachments_.AddPicture(*picture)) {
    ShowAttachedPictures();
    view_.EditorInsertPictureMark(PictureColour(*index));
  } else {
    Ask("Ein Eintrag kann höchstens " + std::to_string(kMaxEditorPictures) +
            " Bilder enthalten.",
        MessageIcon::kExclamation, MessageButtons::kOk);
  }
}

}  // namespace qm
