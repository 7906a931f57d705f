// Mantello's encoding of the clipboard: progress, cancel, the busy refusal, sounds and hints.
#include "mantello/encoder.h"

#include <algorithm>
#include <utility>

#include "mantello/hints.h"
#include "mantello/html_encoder.h"

namespace qm {
namespace {

// Progress and cancel are looked at once per this many characters.
constexpr std::size_t kChunk = 512;

constexpr const char* kBusyText = "Mantello bearbeitet bereits einen Text ... bitte warten.";
constexpr const char* kNoTextText =
    "Die Zwischenablage enth\xC3\xA4lt keinen Text. Daher kann Mantello auch nichts kodieren.";
constexpr const char* kCancelledText = "*** Mantello: Abbruch durch Anwender ***";
constexpr const char* kNotWrittenText =
    "Mantello konnte das Ergebnis nicht in die Zwischenablage schreiben. Bitte versuchen Sie "
    "es noch einmal.";

}  // namespace

Encoder::Encoder(EncoderServices services) : s_(std::move(services)) {}

void Encoder::EncodeClipboard() {
  if (busy_) {
    PlayWave("err");
    s_.dialogs.ShowMessage(kBusyText, kProgramTitleMantello, MessageIcon::kInformation,
                           MessageButtons::kOk);
    return;
  }
  busy_ = true;
  cancel_ = false;
  // Idle again however this ends, an exhausted memory included; and a close while the
  // closing sounds ran must not cancel the next encoding.
  struct Idle {
    Encoder& e;
    ~Idle() {
      e.cancel_ = false;
      e.busy_ = false;
    }
  } idle{*this};
  PlayWave("in");
  EncodeClipboardText();
  PlayWave("out");
}

void Encoder::OnProgressWindowClosedByUser() {
  if (busy_) cancel_ = true;
}

void Encoder::EncodeClipboardText() {
  const std::optional<std::string> text = s_.clipboard.ReadText();
  if (!text || text->empty()) {
    s_.dialogs.ShowMessage(kNoTextText, kProgramTitleMantello, MessageIcon::kInformation,
                           MessageButtons::kOk);
    return;
  }
  CarrierRandom fast(ClockSeed());

  s_.progress.Show();
  s_.progress.SetTopmost(true);
  // The progress window never stays on top of everything, even when encoding fails.
  class Lowered {
   public:
    explicit Lowered(ProgressWindow& w) : w_(w) {}
    ~Lowered() { Now(); }
    void Now() {
      if (done_) return;
      done_ = true;
      w_.SetTopmost(false);
      w_.Hide();
    }

   private:
    ProgressWindow& w_;
    bool done_ = false;
  } lowered(s_.progress);

  const std::string carried = ToCarriedText(*text);
  const std::size_t len = carried.size();
  const float step = static_cast<float>(len) / 100.0f;
  std::string carrier;
  carrier.reserve(2 * len);
  bool cancelled = false;
  for (std::size_t start = 0; start < len; start += kChunk) {
    const std::string_view chunk =
        std::string_view(carried).substr(start, std::min(kChunk, len - start));
    if (s_.random) {
      AppendCarrier(chunk, s_.random, carrier);
    } else {
      AppendCarrier(chunk, fast, carrier);
    }
    // Character start + 1 is the one with i % 512 == 1.
    const float done = static_cast<float>(start + 1) / step;
    ShowProgress(std::to_string(static_cast<long long>(done)) + "%");
    if (cancel_) {
      cancelled = true;
      break;
    }
  }

  std::string result;
  if (cancelled) {
    PlayWave("err");
    ShowProgress("Abbruch ...");
    result = kCancelledText;
    cancel_ = false;
  } else {
    ShowProgress("100%");
    result = WrapInScript(carrier);
  }

  // Writing replaces the clipboard's content in one step: emptied first, a failed write
  // would take the user's text with it.
  const bool written = s_.clipboard.WriteText(result);
  lowered.Now();
  if (!written) {
    // The hint would claim an encoded text that is not there.
    s_.dialogs.ShowMessage(kNotWrittenText, kProgramTitleMantello, MessageIcon::kExclamation,
                           MessageButtons::kOk);
    return;
  }
  if (s_.show_hint) s_.show_hint(kEncodedHintText, "2", "SID2.jpg");
}

void Encoder::PlayWave(const std::string& name) {
  s_.sound.PlayFile(s_.sound_dir + name + ".WAV");
  s_.progress.PumpEvents();
}

void Encoder::ShowProgress(const std::string& text) {
  s_.progress.SetCaption(std::string(kProgramTitleMantello) + ": " + text);
  s_.progress.PumpEvents();
}

}  // namespace qm
