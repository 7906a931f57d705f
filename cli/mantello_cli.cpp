// Mantello's encoding on the command line: encode a text into the script, decode a script.
#include "cli/mantello_cli.h"

#include <istream>
#include <iterator>
#include <optional>
#include <ostream>

#include "mantello/html_encoder.h"
#include "text/utf.h"

namespace qm {
namespace {

constexpr int kOk = 0, kRefused = 2;

const char kUsageText[] =
    "Aufruf: mantello-cli encode [DATEI] | decode [DATEI] | --help\n"
    "  encode  liest UTF-8-Text (ohne DATEI von der Standardeingabe) und gibt das Skript aus.\n"
    "  decode  liest ein solches Skript und gibt den Text aus, den es in die Seite schreibt;\n"
    "          Zeichen jenseits von U+00FF stehen dort als Zeichenreferenz wie &#8364;.\n";

// The whole input, or nullopt after a message on `err`.
std::optional<std::string> ReadInput(const std::vector<std::string>& args, std::istream& in,
                                     std::ostream& err, FileSystem& fs) {
  std::string bytes;
  if (args.size() == 2) {
    std::optional<std::string> file = fs.ReadAll(args[1]);
    if (!file) {
      err << "Die Datei \xE2\x80\x9E" << args[1] << "\xE2\x80\x9C l\xC3\xA4sst sich nicht lesen.\n";
      return std::nullopt;
    }
    bytes = std::move(*file);
  } else {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!IsValidUtf8(bytes)) {
    err << "Die Eingabe ist kein g\xC3\xBCltiges UTF-8.\n";
    return std::nullopt;
  }
  return bytes;
}

void ReportDecodeError(std::ostream& err, const CarrierDecodeError& e) {
  switch (e.kind) {
    case CarrierDecodeError::Kind::kNoLiteral:
      err << "Im Skript steht kein Literal var c=\"...\"; daher l\xC3\xA4sst es sich nicht "
             "dekodieren.\n";
      break;
    case CarrierDecodeError::Kind::kOddLength:
      err << "Die kodierte Zeichenkette hat eine ungerade L\xC3\xA4nge und l\xC3\xA4sst sich "
             "nicht dekodieren.\n";
      break;
    case CarrierDecodeError::Kind::kForeignChar:
      err << "Das Zeichen ";
      if (e.ch >= 0x20 && (e.ch < 0x7F || e.ch > 0x9F)) {
        std::string shown;
        AppendUtf8(shown, e.ch);
        err << "\xE2\x80\x9E" << shown << "\xE2\x80\x9C (" << CodePointName(e.ch) << ")";
      } else {
        err << CodePointName(e.ch);
      }
      err << " an Stelle " << e.position + 1
          << " der kodierten Zeichenkette kann Mantello nicht erzeugt haben.\n";
      break;
  }
}

}  // namespace

int RunMantelloCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, FileSystem& fs, std::uint64_t seed) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsageText;
    return kOk;
  }
  if (args.empty() || args.size() > 2 || (args[0] != "encode" && args[0] != "decode")) {
    err << kUsageText;
    return kRefused;
  }
  const std::optional<std::string> input = ReadInput(args, in, err, fs);
  if (!input) return kRefused;

  if (args[0] == "encode") {
    out << EncodeToScript(*input, seed);
    return kOk;
  }
  std::string carried;
  CarrierDecodeError error{};
  if (!DecodeScript(*input, carried, &error)) {
    ReportDecodeError(err, error);
    return kRefused;
  }
  out << CarriedTextToUtf8(carried);
  return kOk;
}

}  // namespace qm
