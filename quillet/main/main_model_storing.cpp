// The main window's storing: the editor's text and an entry's fields written to the data file,
// with the checks before (the code page, the cipher) and the list item following its entry.
#include <string>
#include <vector>

#include "quillet/main/glyph_text.h"
#include "rich/rich_html.h"
#include "quillet/main/main_model.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/utf.h"

namespace qm {

std::u32string UnrepresentableCharacters(const CodePage& ansi, std::string_view text) {
  std::u32string bad;
  std::string scratch;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t cp = NextCodePoint(text, pos);
    if (cp < 0x80) continue;
    char32_t refused = 0;
    if (!ansi.FromUtf8(text.substr(start, pos - start), scratch, &refused) &&
        bad.find(cp) == std::u32string::npos) {
      bad += cp;
    }
  }
  return bad;
}

std::string ListCharacters(const std::u32string& chars) {
  std::string out;
  for (char32_t cp : chars) {
    if (!out.empty()) out += ", ";
    out += "\xE2\x80\x9E";  // „
    AppendUtf8(out, cp);
    out += "\xE2\x80\x9C (" + CodePointName(cp) + ")";  // “
  }
  return out;
}

std::string CodePageName(unsigned id) {
  if (id >= 1250 && id <= 1258) return "Windows-" + std::to_string(id);
  return "Codepage " + std::to_string(id);
}

bool MainModel::WriteCurrentEntryField(const std::string& section, const std::string& value) {
  const Busy busy(*this);
  if (CurrentEntryNumber() <= 0) return false;
  // Taken before a question lets other events in.
  const int pos = current_index_;
  const EntryKey key = KeyAt(pos);
  const SnippetEntry whole = WindowEntry(pos, key.name);
  if (!EnsureStorable({value})) return false;
  return StoreFields(pos, key, whole, {{section, TextFieldValue(value)}});
}

EntryKey MainModel::KeyAt(int pos) {
  return {view_.ListData(pos), view_.ListText(pos),
          pos == current_index_ ? saved_fields_ : std::nullopt};
}

SnippetEntry MainModel::WindowEntry(int pos, const std::string& name) {
  if (pos != current_index_) return {name, "", "", 0, 0};
  return {name, saved_text_, view_.TitleText(), saved_crypt_ == 1 ? 1 : 0,
          view_.DosBoxChecked() ? 1 : 0};
}

bool MainModel::StoreFields(int pos, const EntryKey& key, const SnippetEntry& whole,
                            const Fields& fields, int* written) {
  return StoreEntry(
      pos, key, whole.name,
      [&](EntryLocation* where, std::optional<StoredFields>* after) {
        StoredFields stored;
        Status status = s_.entries.UpdateEntry(key, fields, whole, data_file_, where, &stored);
        *after = std::move(stored);
        return status;
      },
      written);
}

bool MainModel::StoreEntry(int pos, const EntryKey& key, const std::string& new_name,
                           const EntryWrite& write, int* written) {
  EntryLocation where;
  std::optional<StoredFields> after;
  if (!Write([&] { return write(&where, &after); })) return false;
  if (written) *written = where.number;
  // The list item follows its entry, unless the list has changed under a question meanwhile.
  if (pos >= 0 && pos < view_.ListCount() && view_.ListData(pos) == key.number &&
      view_.ListText(pos) == key.name) {
    view_.ListSetData(pos, where.number);
    if (pos == current_index_) saved_fields_ = after;
  }
  if (where.place == EntryPlace::kGone || where.place == EntryPlace::kUnclear) {
    Notify("Der Eintrag \xE2\x80\x9E" + key.name +
           "\xE2\x80\x9C ist in der Datendatei nicht mehr zu finden; ein anderes Programm hat "
           "sie geändert.\r\n\r\nDie Änderung wurde als neuer Eintrag \xE2\x80\x9E" +
           new_name + "\xE2\x80\x9C gespeichert.");
  }
  return true;
}

void MainModel::WriteEditorText() {
  const Busy busy(*this);
  if (CurrentEntryNumber() <= 0) return;
  const int crypt = view_.CryptChecked() ? 1 : 0;
  const EditorContent now = EditorNow();
  const std::string& stored = now.stored;
  if (stored == saved_text_ && crypt == saved_crypt_ && now.html == shown_html_) return;
  // What the user was told about this very text is tried again without telling again: the
  // focus comes back when a box closes and leaves again, the icon stores meanwhile.
  const bool told = stored == unstored_text_ && now.html == unstored_html_ &&
                    crypt == unstored_crypt_;
  // Every way out below without storing tells the user; this remembers what they were told.
  if (!quiet_) {
    unstored_text_ = stored;
    unstored_html_ = now.html;
    unstored_crypt_ = crypt;
  }
  const Quiet quiet(*this, told);
  // The entry as it is now: a question lets other events in, and its answer is for this one.
  const int pos = current_index_;
  const EntryKey key = KeyAt(pos);
  const SnippetEntry whole = WindowEntry(pos, key.name);
  std::string value = stored;
  // The formatted version is escaped like the text; enciphered, within ASCII, with it.
  std::string html = EscapeStoredText(now.html);
  if (crypt) {
    // The cipher carries character codes 0..255 of the code page, nothing else.
    const std::u32string bad = UnrepresentableCharacters(s_.ansi, stored);
    if (!bad.empty()) {
      if (quiet_) return;
      Ask("Ein chiffrierter Text kann nur Zeichen des Zeichensatzes " +
              CodePageName(s_.ansi.Id()) + " enthalten. Diese Zeichen gehören nicht dazu: " +
              ListCharacters(bad) +
              ".\r\n\r\nDer Text wurde nicht gespeichert; er bleibt im Editor. Nehmen Sie das "
              "Häkchen bei \xE2\x80\x9E" "Chiffrieren\xE2\x80\x9C heraus, um ihn zu speichern.",
          MessageIcon::kExclamation, MessageButtons::kOk);
      return;
    }
    std::string ansi_text;
    s_.ansi.FromUtf8(stored, ansi_text, nullptr);
    value = CryptText(ansi_text, true);
    if (!html.empty()) {
      std::string ansi_html;
      s_.ansi.FromUtf8(AsciiHtml(html), ansi_html, nullptr);
      html = CryptText(ansi_html, true);
    }
  } else if (!EnsureStorable({stored, html})) {
    return;
  }
  Fields fields = {{"Text", TextFieldValue(value)}, {"Crypt", std::to_string(crypt)}};
  // An entry that is plain and stays plain gets no section of it: its file stays as it was.
  if (!now.html.empty() || !saved_html_.empty()) {
    fields.emplace_back(kFormatSection, TextFieldValue(html));
  }
  if (StoreFields(pos, key, whole, fields) && pos == current_index_) {
    saved_text_ = stored;
    saved_crypt_ = crypt;
    saved_html_ = shown_html_ = now.html;
    format_problems_.clear();
    unstored_crypt_ = -1;
    ShowFieldProblems(key.name);
  }
}

bool MainModel::EnsureStorable(const std::vector<std::string>& values) {
  const std::shared_ptr<const IniDocument> doc = s_.ini.Snapshot(data_file_);
  if (doc && doc->encoding() == IniEncoding::kUtf16Le) return true;
  std::u32string bad;
  for (const std::string& v : values) {
    for (char32_t cp : UnrepresentableCharacters(s_.ansi, v)) {
      if (bad.find(cp) == std::u32string::npos) bad += cp;
    }
  }
  if (bad.empty()) return true;
  if (quiet_) return false;  // declined for this very text already
  const MessageAnswer answer = Ask(
      "Die Datendatei ist im Zeichensatz " + CodePageName(s_.ansi.Id()) +
          " gespeichert und kann diese Zeichen nicht aufnehmen: " + ListCharacters(bad) +
          ".\r\n\r\nSoll die Datendatei in das Unicode-Format (UTF-16) umgewandelt werden? "
          "Alle Einträge bleiben erhalten, und eine Kopie der bisherigen Datei wird daneben "
          "abgelegt.\r\n\r\nBei \xE2\x80\x9ENein\xE2\x80\x9C wird diese Änderung nicht "
          "gespeichert.",
      MessageIcon::kQuestion, MessageButtons::kYesNo);
  if (answer != MessageAnswer::kYes) return false;
  std::string backup;
  return Write([&] { return s_.ini.ConvertToUtf16(data_file_, &backup); });
}

bool MainModel::Write(const std::function<Status()>& write) {
  const bool known = !ChangedOutside();
  const Status status = write();
  last_write_failed_ = !status.ok();
  if (status.ok()) {
    if (known) NoteFileState();
    return true;
  }
  if (quiet_) return false;
  Ask("Die Änderung konnte nicht gespeichert werden.\r\n\r\n" + status.message,
      MessageIcon::kExclamation, MessageButtons::kOk);
  return false;
}

}  // namespace qm
