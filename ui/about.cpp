// What the two About dialogs show and open: texts, captions, addresses and placement.
#include "ui/about.h"

#include <array>

#include "store/stored_text.h"
#include "text/text_lists.h"
#include "ui/help.h"

namespace qm {
namespace {

std::string Head(const ProgramInfo& p, const std::string& version_text,
                 const std::string& year_span) {
  return p.title + version_text + "\r\n" + p.description + "\r\n\r\n\xC2\xA9 " + year_span + " " +
         kMakerName + "\r\n\r\n";
}

// The compact dialog's captions by language: German, English, French.
constexpr std::array<std::string_view, 10> kVisitCaptions = {
    "Ferrandel besuchen", "Visit Ferrandel", "Visitez Ferrandel"};
constexpr std::array<std::string_view, 10> kCloseCaptions = {"&Schliessen", "&Close", "&Fermer"};
constexpr int kLanguage = 0;

}  // namespace

AboutContent FreewareAbout(const ProgramInfo& p, const std::string& version_text,
                           const std::string& year_span) {
  AboutContent c;
  c.caption = "Info über " + p.title;
  c.text = Head(p, version_text, year_span) +
           "Verbesserungsvorschläge sind mir immer gern willkommen. Neuigkeiten und weitere "
           "Programme finden Sie unter " +
           std::string(kMakerWebSiteShown) + ".";
  c.buttons = {{kAboutMailButton, "&E-Mail an Ferrandel schreiben", ""},
               {kAboutUpdateButton, "Auf Ferrandel nach neuer &Version dieser Software suchen", ""},
               {kAboutCloseButton, "&Fenster schliessen", ""}};
  return c;
}

AboutContent CommercialAbout(const ProgramInfo& p, const std::string& version_text,
                             const std::string& year_span) {
  AboutContent c;
  c.caption = p.title + " - Info";
  c.text = Head(p, version_text, year_span) + p.title +
           " gehört zu einer ganzen Serie von nützlichen, kleinen Helfern im PC-Alltag. "
           "Interesse? Weitere Infos gibt es im Internet unter " +
           std::string(kMakerWebSiteShown) +
           ". Mit einem Klick auf den Taster links unten können Sie sich direkt verbinden "
           "lassen ...";
  c.buttons = {{kAboutWebButton, ChooseText(kLanguage, kVisitCaptions), ""},
               {kAboutCloseButton, ChooseText(kLanguage, kCloseCaptions),
                "... bringt Sie zurück zum Programm"}};
  return c;
}

std::string AboutMailAddress(const ProgramInfo& p, const std::string& version_text,
                             const std::string& windows_version) {
  return std::string("mailto:") + kMakerMail + "?subject=Ihre Software " + p.title + version_text +
         " unter Windows " + windows_version;
}

std::string AboutUpdateAddress(const ProgramInfo& p, const std::string& plain_version,
                               const std::string& windows_version) {
  // The site's address ends with "/", the template starts with one.
  std::string site = kMakerWebSite;
  if (!site.empty() && site.back() == '/') site.pop_back();
  std::string address = FormatText(site + "/?find_update&app=%1&ver=%2&win=%3",
                                   {p.title, plain_version, windows_version});
  for (char& ch : address) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return address;
}

Point CenterPosition(int screen_width, int screen_height, int window_width, int window_height) {
  return {(screen_width - window_width) / 2, (screen_height - window_height) / 2};
}

Point AboutPosition(int screen_width_px, int screen_height_px, int window_width_px,
                    int window_height_px) {
  if (screen_width_px <= 640 || screen_height_px <= 480) return {0, 0};
  return CenterPosition(screen_width_px, screen_height_px, window_width_px, window_height_px);
}

}  // namespace qm
