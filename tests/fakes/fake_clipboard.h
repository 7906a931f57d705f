// A clipboard holding one text, which can be made to refuse opening; a paste is taken when the
// test says so.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace qm {

class FakeClipboard : public Clipboard {
 public:
  struct Contents : ClipboardContents {
    std::optional<std::string> text;
  };

  bool Clear() override {
    if (unavailable) return false;
    text.reset();
    return true;
  }
  std::optional<std::string> ReadText() override {
    if (unavailable) return std::nullopt;
    return text;
  }
  bool HasPicture() override { return !unavailable && picture.has_value(); }
  std::optional<std::string> ReadPicture() override {
    return unavailable ? std::nullopt : picture;
  }
  bool WriteText(const std::string& value) override {
    if (unavailable) return false;
    text = value;
    return true;
  }
  std::unique_ptr<ClipboardContents> Save() override {
    if (unavailable) return nullptr;
    auto saved = std::make_unique<Contents>();
    saved->text = text;
    return saved;
  }
  using Clipboard::OfferForPaste;
  bool OfferForPaste(const std::string& value, const PasteFormats& with) override {
    if (unavailable) return false;
    offers.push_back(value);
    formats.push_back(with);
    text = value;
    taken = false;
    return true;
  }
  bool PasteTaken() override { return taken; }
  bool Restore(const ClipboardContents& saved) override {
    if (unavailable) return false;
    text = static_cast<const Contents&>(saved).text;
    return true;
  }

  std::optional<std::string> text;
  std::optional<std::string> picture;  // PNG or JPEG bytes
  bool unavailable = false;
  std::vector<std::string> offers;  // every text offered for a paste
  std::vector<PasteFormats> formats;  // and what was offered beside it
  bool taken = false;               // a program has read the offered text
};

}  // namespace qm
