// The Encoder with fake services: messages, sounds, progress schedule, cancel and re-entry.
#include "mantello/encoder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <functional>
#include <string>
#include <vector>

#include "mantello/hints.h"
#include "mantello/html_encoder.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_dialogs.h"
#include "tests/fakes/fake_sound.h"

namespace qm {
namespace {

// Records what the window was told; `on_pump` stands in for events arriving meanwhile.
class FakeProgressWindow : public ProgressWindow {
 public:
  void Show() override { log.push_back("show"); }
  void Hide() override { log.push_back("hide"); }
  void SetCaption(const std::string& caption) override {
    log.push_back(caption);
    captions.push_back(caption);
  }
  void SetTopmost(bool on) override { log.push_back(on ? "topmost" : "not topmost"); }
  void PumpEvents() override {
    ++pumps;
    if (on_pump) on_pump();
  }

  std::vector<std::string> log, captions;
  int pumps = 0;
  std::function<void()> on_pump;
};

struct Hint {
  std::string text, id, image;
};

class EncoderTest : public testing::Test {
 protected:
  EncoderTest()
      : encoder({clipboard,
                 sound,
                 dialogs,
                 progress,
                 "snd/",
                 [this](const std::string& t, const std::string& id, const std::string& image) {
                   hints.push_back({t, id, image});
                 },
                 {}}) {}

  // The page text the clipboard's script writes.
  std::string PageText() {
    std::string carried;
    EXPECT_TRUE(DecodeScript(clipboard.text.value_or(""), carried, nullptr));
    return CarriedTextToUtf8(carried);
  }
  // Closes the window at the given pump of the running encoding.
  void CloseAtPump(int pump) {
    progress.on_pump = [this, pump] {
      if (progress.pumps == pump) encoder.OnProgressWindowClosedByUser();
    };
  }

  FakeClipboard clipboard;
  FakeSound sound;
  FakeDialogs dialogs;
  FakeProgressWindow progress;
  std::vector<Hint> hints;
  Encoder encoder;
};

TEST_F(EncoderTest, WithoutTextOnlyTheMessageAppears) {
  for (const std::optional<std::string>& text : {std::optional<std::string>(), {""}}) {
    clipboard.text = text;
    dialogs.messages.clear();
    sound.played.clear();
    encoder.EncodeClipboard();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Die Zwischenablage enth\xC3\xA4lt keinen Text. Daher kann Mantello auch nichts "
              "kodieren.");
    EXPECT_EQ(dialogs.messages[0].title, "Mantello");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kInformation);
    EXPECT_EQ(clipboard.text, text);
    EXPECT_EQ(sound.played, (std::vector<std::string>{"snd/in.WAV", "snd/out.WAV"}));
  }
  EXPECT_TRUE(progress.log.empty());
  EXPECT_TRUE(hints.empty());
  EXPECT_FALSE(encoder.busy());
}

TEST_F(EncoderTest, EncodesIntoTheClipboardWithWindowSoundsAndHint) {
  clipboard.text =
      "<b>Gr\xC3\xBC\xC3\x9F"
      "e</b> 5 \xE2\x82\xAC \xF0\x9F\x98\x80 @ \\";
  encoder.EncodeClipboard();
  EXPECT_EQ(PageText(),
            "<b>Gr\xC3\xBC\xC3\x9F"
            "e</b> 5 &#8364; &#128512; @ \\");
  EXPECT_EQ(progress.log, (std::vector<std::string>{"show", "topmost", "Mantello: 2%",
                                                    "Mantello: 100%", "not topmost", "hide"}));
  EXPECT_EQ(sound.played, (std::vector<std::string>{"snd/in.WAV", "snd/out.WAV"}));
  ASSERT_EQ(hints.size(), 1u);
  EXPECT_EQ(hints[0].text, kEncodedHintText);
  EXPECT_EQ(hints[0].id, "2");
  EXPECT_EQ(hints[0].image, "SID2.jpg");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(encoder.busy());
}

TEST_F(EncoderTest, ProgressCaptionsFollowEvery512thCarriedCharacter) {
  const struct {
    std::string text;
    std::vector<std::string> percents;
  } cases[] = {
      {"A", {"100", "100"}},
      {"\xE2\x82\xAC", {"14", "100"}},  // "&#8364;" carries seven characters
      {std::string(511, 'x'), {"0", "100"}},
      {std::string(512, 'x'), {"0", "100"}},
      {std::string(513, 'x'), {"0", "100", "100"}},
      {std::string(1024, 'x'), {"0", "50", "100"}},
      {std::string(1025, 'x'), {"0", "50", "100", "100"}},
      {std::string(2048, 'x'), {"0", "25", "50", "75", "100"}},
  };
  for (const auto& c : cases) {
    progress.captions.clear();
    clipboard.text = c.text;
    encoder.EncodeClipboard();
    std::vector<std::string> expected;
    for (const auto& p : c.percents) expected.push_back("Mantello: " + p + "%");
    EXPECT_EQ(progress.captions, expected) << c.text.size();
    EXPECT_EQ(PageText(), CarriedTextToUtf8(ToCarriedText(c.text)));
  }
}

TEST_F(EncoderTest, GivenRandomSourceDrawsOneRPerNibble) {
  const double rs[] = {0.0, 0.5, 0.99, 0.3};
  std::size_t next = 0;
  Encoder fixed({clipboard, sound, dialogs, progress, "", {}, [&] { return rs[next++ % 4]; }});
  clipboard.text = "A\xC3\xBC";
  fixed.EncodeClipboard();
  EXPECT_EQ(clipboard.text, WrapInScript("DQ?<"));
}

TEST_F(EncoderTest, ClosingTheWindowCancelsAtTheNextProgressStep) {
  clipboard.text = std::string(2000, 'x');
  CloseAtPump(3);  // the sound "in", then the captions 0% and 25%
  encoder.EncodeClipboard();
  EXPECT_EQ(clipboard.text, "*** Mantello: Abbruch durch Anwender ***");
  EXPECT_EQ(progress.captions,
            (std::vector<std::string>{"Mantello: 0%", "Mantello: 25%", "Mantello: Abbruch ..."}));
  EXPECT_EQ(sound.played, (std::vector<std::string>{"snd/in.WAV", "snd/err.WAV", "snd/out.WAV"}));
  EXPECT_EQ(progress.log.back(), "hide");
  EXPECT_EQ(hints.size(), 1u);
  EXPECT_FALSE(encoder.busy());

  // Neither that cancel nor a close while idle or during the last sound carries over.
  progress.on_pump = nullptr;
  encoder.OnProgressWindowClosedByUser();
  clipboard.text = std::string(600, 'y');
  CloseAtPump(progress.pumps + 5);  // in, 0%, 85%, final 100%: the sound "out"
  encoder.EncodeClipboard();
  EXPECT_EQ(PageText(), std::string(600, 'y'));
  clipboard.text = "z";
  encoder.EncodeClipboard();
  EXPECT_EQ(PageText(), "z");
}

TEST_F(EncoderTest, ASecondClickWhileEncodingIsRefusedAndDisturbsNothing) {
  const std::string text = std::string(1500, 'x') + "\xE2\x82\xAC";
  clipboard.text = text;
  progress.on_pump = [this] {
    if (progress.pumps == 2) encoder.EncodeClipboard();
  };
  encoder.EncodeClipboard();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Mantello bearbeitet bereits einen Text ... bitte warten.");
  EXPECT_EQ(dialogs.messages[0].title, "Mantello");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(sound.played, (std::vector<std::string>{"snd/in.WAV", "snd/err.WAV", "snd/out.WAV"}));
  EXPECT_EQ(PageText(), std::string(1500, 'x') + "&#8364;");
  EXPECT_EQ(hints.size(), 1u);
  EXPECT_FALSE(encoder.busy());
}

TEST_F(EncoderTest, AFailedClipboardWriteIsReportedInsteadOfTheHint) {
  clipboard.text = "abc";
  progress.on_pump = [this] { clipboard.unavailable = progress.captions.size() == 2; };
  encoder.EncodeClipboard();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_TRUE(hints.empty());
  EXPECT_EQ(progress.log.back(), "hide");
  EXPECT_EQ(clipboard.text, "abc");  // the user's text is still there to try again
}

TEST_F(EncoderTest, AnEncodingThatFailsLeavesTheEncoderIdleAndTheWindowLowered) {
  clipboard.text = "abc";
  progress.on_pump = [this] {
    if (!progress.captions.empty()) throw std::runtime_error("out of memory");
  };
  EXPECT_THROW(encoder.EncodeClipboard(), std::runtime_error);
  EXPECT_FALSE(encoder.busy());
  EXPECT_EQ(progress.log.back(), "hide");
  progress.on_pump = nullptr;
  progress.log.clear();
  encoder.EncodeClipboard();
  EXPECT_EQ(progress.log.front(), "show");
  EXPECT_EQ(progress.log.back(), "hide");
}

}  // namespace
}  // namespace qm
