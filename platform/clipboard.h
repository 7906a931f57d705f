// The system clipboard: its plain text, and pasting a text without losing what it held.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace qm {

// What the clipboard held, every format that could be rendered, with its data; only the
// clipboard that made it can put it back.
// A formatted paste's other forms beside its text: the clipboard's "HTML Format" (with its
// header) and RTF. An empty one is not offered.
struct PasteFormats {
  std::string html, rtf;
};

class ClipboardContents {
 public:
  virtual ~ClipboardContents() = default;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool Clear() = 0;
  // nullopt when there is no text or the clipboard cannot be opened.
  virtual std::optional<std::string> ReadText() = 0;
  virtual bool WriteText(const std::string& text) = 0;
  // A picture on the clipboard: whether there is one, and it as PNG or JPEG file bytes
  // (nullopt: none, or it cannot be read).
  virtual bool HasPicture() = 0;
  virtual std::optional<std::string> ReadPicture() = 0;

  // A copy of everything the clipboard holds now; null when it cannot be opened.
  virtual std::unique_ptr<ClipboardContents> Save() = 0;
  // Puts `text` on the clipboard for one paste, marked so that clipboard history, cloud sync
  // and clipboard monitors pass it over. False when the clipboard cannot be written.
  bool OfferForPaste(const std::string& text) { return OfferForPaste(text, PasteFormats{}); }
  // The same with `formats` beside the text; whichever a program reads counts as the paste.
  virtual bool OfferForPaste(const std::string& text, const PasteFormats& formats) = 0;
  // True once a program has read the text of the last OfferForPaste.
  virtual bool PasteTaken() = 0;
  // Puts `saved` back exactly, unless another program has put something new on the clipboard
  // since the offer (that then stays). False when the clipboard cannot be written; where
  // another program holds it, it is put back as soon as it is free (the calling thread's
  // messages bring the retries), and Save gives `saved` until then.
  virtual bool Restore(const ClipboardContents& saved) = 0;
};

}  // namespace qm
