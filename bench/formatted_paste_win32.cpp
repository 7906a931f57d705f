// A formatted snippet of 20,000 characters with a 500 KB picture pasted through the sender
// into Wine's word processor, from the send call until its rich-text control holds the text
// and the clipboard holds again what the user copied.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support_win32.h"
#include "bench/notepad_target_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/send/sender.h"
#include "rich/rich_html.h"
#include "rich/rich_markup.h"
#include "rich/rich_output.h"
#include "store/stored_text.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

constexpr std::size_t kChars = 20'000;
constexpr double kTargetMs = 1000;

std::uint32_t Crc(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void Big32(std::string& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += static_cast<char>(v >> s);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  Big32(png, static_cast<std::uint32_t>(data.size()));
  const std::string body = type + data;
  png += body;
  Big32(png, Crc(body));
}

// A photo-like PNG of about 500 KB: noise in stored deflate blocks, which no compressor shrinks.
std::string NoisePng(int width, int height) {
  std::string raw;
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    for (int x = 0; x < width * 4; ++x) {
      seed = seed * 1664525u + 1013904223u;
      raw += static_cast<char>(seed >> 24);
    }
  }
  std::string z = "\x78\x01";
  for (std::size_t at = 0; at < raw.size(); at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z += static_cast<char>(at + n == raw.size() ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(raw, at, n);
  }
  std::uint32_t a = 1, b = 0;
  for (const unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Big32(z, (b << 16) | a);
  std::string header;
  Big32(header, static_cast<std::uint32_t>(width));
  Big32(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x06\x00\x00\x00", 5);
  std::string png("\x89PNG\r\n\x1a\n", 8);
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", "");
  return png;
}

// The prose with its first word of each line bold and its last italic, the picture after it.
std::string FormattedProse(const std::string& prose, const std::string& png) {
  std::string html;
  std::size_t start = 0;
  while (start <= prose.size()) {
    std::size_t end = prose.find('\r', start);
    if (end == std::string::npos) end = prose.size();
    const std::string line = prose.substr(start, end - start);
    const std::size_t first = line.find(' '), last = line.rfind(' ');
    if (first != std::string::npos && last != first) {
      html += "<b>";
      qm::AppendHtmlEscaped(html, line.substr(0, first), false);
      html += "</b>";
      qm::AppendHtmlEscaped(html, line.substr(first, last + 1 - first), false);
      html += "<i>";
      qm::AppendHtmlEscaped(html, line.substr(last + 1), false);
      html += "</i>";
    } else {
      qm::AppendHtmlEscaped(html, line, false);
    }
    if (end < prose.size()) html += "<br>";
    start = end + 1;
  }
  return html + "<img src=\"" + qm::DataAddress("image/png", png) + "\">";
}

// The control's text without what only lays it out: line feeds and the picture's mark.
std::wstring Shown(HWND edit) {
  std::wstring out;
  for (const wchar_t c : EditText(edit)) {
    if (c != L'\n' && c != 0xFFFC) out += c;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string prose = ProseText(kChars);
  const std::string png = NoisePng(256, 500);
  const std::string html = FormattedProse(prose, png);
  const std::wstring expected = qm::Utf8ToWide(prose);

  const std::wstring dir = MakeRunFolder(L"qm-formatted-bench");
  const std::string data_file = qm::WideToUtf8(dir + L"\\Quillet.ini");
  SenderRig rig;
  if (!rig.entries.WriteEntry(1,
                              {"Messtext", qm::EscapeStoredText(prose), "", 0, 0, "",
                               qm::EscapeStoredText(html)},
                              data_file)) {
    std::fprintf(stderr, "cannot write the library %s\n", data_file.c_str());
    return 1;
  }
  Notepad pad;
  if (!StartEditor(&pad, L"%ProgramFiles%\\Windows NT\\Accessories\\wordpad.exe", L"WORDPADTOP", L"RichEdit20W")) {
    std::fprintf(stderr, "cannot start the word processor\n");
    EndNotepad(&pad);
    return 1;
  }
  MoveWindow(pad.frame, 0, 0, 900, 700, TRUE);
  std::unique_ptr<qm::Clipboard> clipboard = qm::MakeWin32Clipboard(nullptr);
  qm::Sender sender(rig.Services(*clipboard), data_file);
  sender.SetLastUsedWindow(reinterpret_cast<std::uintptr_t>(pad.frame));
  sender.SetRtfLinkFields(false);

  std::vector<double> done_ms, call_ms, arrived_ms;
  std::string error;
  for (int run = 0; run < runs && error.empty(); ++run) {
    if (!Clear(pad)) {
      error = "cannot clear the word processor";
      break;
    }
    const std::unique_ptr<qm::ClipboardContents> before = clipboard->Save();
    clipboard->WriteText("vorher kopiert");
    rig.dialogs.messages.clear();
    const double start = Seconds();
    double arrived = 0;
    std::thread watch([&] {
      while (Seconds() - start < kStallSeconds) {
        if (Shown(pad.edit) == expected) {
          arrived = Seconds();
          return;
        }
        Sleep(5);
      }
    });
    const qm::SendOutcome outcome = sender.SendEntry(1, "Messtext");
    const double returned = Seconds();
    watch.join();
    if (outcome != qm::SendOutcome::kTyped || !rig.dialogs.messages.empty()) {
      error = "the entry was not sent: " +
              (rig.dialogs.messages.empty() ? std::string("no message") : rig.dialogs.messages.back());
    } else if (arrived == 0) {
      ReportDifference("word processor", expected, Shown(pad.edit));
      error = "the text did not arrive complete and in order";
    } else if (clipboard->ReadText() != std::string("vorher kopiert")) {
      error = "the clipboard was not restored";
    } else if (sender.last_delivery() != qm::Delivery::kPaste) {
      error = "the entry was not pasted";
    }
    call_ms.push_back((returned - start) * 1e3);
    arrived_ms.push_back((arrived - start) * 1e3);
    done_ms.push_back(std::max(returned, arrived) * 1e3 - start * 1e3);
  }
  EndNotepad(&pad);
  DeleteFileW(qm::Utf8ToWide(data_file).c_str());
  RemoveDirectoryW(dir.c_str());
  if (!error.empty()) {
    std::fprintf(stderr, "formatted_paste_bench: %s\n", error.c_str());
    return 1;
  }
  const double done = Median(done_ms);
  std::printf(
      "A formatted snippet of %zu characters (a bold and an italic word on each line) with a\n"
      "%zu KB PNG picture, pasted through Sender::SendEntry into Wine's word processor with\n"
      "HTML, RTF (%zu KB) and text; medians of %d runs:\n"
      "  from the send call until the call returned, the clipboard restored %7.0f ms\n"
      "  from the send call until the control holds the whole text          %7.0f ms\n"
      "  runs (both done, ms):",
      kChars, png.size() / 1024, qm::RichToRtf(qm::ReadRichHtml(html), false).size() / 1024, runs, Median(call_ms),
      Median(arrived_ms));
  for (const double v : done_ms) std::printf(" %.0f", v);
  std::printf("\nformatted paste until text and clipboard are both done: %.0f ms; ratio to the\n"
              "target of %.0f ms: %.2f (target at most 1.00)%s\n",
              done, kTargetMs, done / kTargetMs, done <= kTargetMs ? "" : "  MISSED");
  return 0;
}
