// A main window's place and size, kept in the per-user settings between runs.
#include "ui/window_geometry.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

#include "text/numbers.h"

namespace qm {
namespace {

constexpr const char* kTopKey = "_Top";
constexpr const char* kLeftKey = "_Left";
constexpr const char* kWidthKey = "_Width";
constexpr const char* kHeightKey = "_Height";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string FormatTwips(double twips) {
  float value = static_cast<float>(twips);
  if (value == 0) value = 0;  // no "-0"
  char buffer[64];
  // Fixed notation: a reader that does not know exponents still gets the number.
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (result.ec != std::errc()) return "-1";
  return std::string(buffer, result.ptr);
}

double ParseTwips(std::string_view text, double fallback) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return fallback;
  }
  // A German system of an earlier version wrote a decimal comma; a text with both separators
  // is no number.
  std::string number(text);
  const std::size_t comma = number.find(',');
  if (comma != std::string::npos) {
    if (number.find_first_of(".,", comma + 1) != std::string::npos ||
        number.find('.') != std::string::npos) {
      return fallback;
    }
    number[comma] = '.';
  }
  float value = 0;
  const char* end = number.data() + number.size();
  const auto result = std::from_chars(number.data(), end, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return fallback;
  return value;
}

Status SaveWindowGeometry(UserSettings& settings, const Rect& twips) {
  Status first;
  const std::pair<const char*, double> values[] = {{kTopKey, twips.top},
                                                   {kLeftKey, twips.left},
                                                   {kWidthKey, twips.width},
                                                   {kHeightKey, twips.height}};
  for (const auto& [key, value] : values) {
    Status stored = settings.SaveUserSetting(key, FormatTwips(value));
    if (!stored && first) first = std::move(stored);
  }
  return first;
}

Rect RestoreWindowGeometry(UserSettings& settings, const Rect& designed, double screen_width,
                           double screen_height) {
  const auto read = [&](const char* key) {
    return ParseTwips(settings.ReadUserSetting(key, "-1"), -1);
  };
  const double top = read(kTopKey), left = read(kLeftKey);
  const double width = read(kWidthKey), height = read(kHeightKey);
  if (top < 0 || top >= screen_height || left < 0 || left >= screen_width) {
    return CenterForm(designed, screen_width, screen_height);
  }
  Rect r = designed;
  r.top = top;
  r.left = left;
  if (height > 0 && top + height <= screen_height) r.height = height;
  if (width > 0 && left + width <= screen_width) r.width = width;
  return r;
}

Rect CenterForm(const Rect& window, double screen_width, double screen_height) {
  Rect r = window;
  r.left = std::floor(RoundHalfEven(screen_width - window.width) / 2);
  r.top = std::floor(RoundHalfEven(screen_height - window.height) / 2);
  return r;
}

}  // namespace qm
