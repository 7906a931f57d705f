// What espanso's match texts hold beside their YAML: references between braces, the cursor
// mark, a form's fields and a date's offset, read as Quillet's placeholders.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// `text` with each `open`NAME`close` (as "{{name}}", "[[name]]") replaced by what `with` gives
// for NAME and the whole piece; an `open` without its `close` stays with the rest as it is.
std::string ReplaceBetween(
    std::string_view text, std::string_view open, std::string_view close,
    const std::function<std::string(const std::string& name, std::string_view whole)>& with);

// The NAMEs of a form's "[[NAME]]", each once, in their order.
std::vector<std::string> FormFieldNames(std::string_view layout);

// A choice's values given as one text: one a line, blanks around them and empty lines left out.
std::vector<std::string> ValueLines(std::string_view text);

// The first cursor mark "$|$" as "%cursor%", where Quillet leaves the caret, the others taken
// out: false where there were others.
bool CarryCursorMark(std::string* text);

// A date variable as Quillet's placeholders, from its format and its "offset" in seconds
// (nullopt for none): without an offset, or with one of 0, as StrftimeAsPlaceholders gives
// them; moved by whole days, up to 3650, as "%datum+N%" or "%datum-N%" where the format is
// kShortDateFormat, the short date as German settings write it. Nullopt otherwise.
inline constexpr std::string_view kShortDateFormat = "%d.%m.%Y";
std::optional<std::string> DateAsPlaceholders(std::string_view format,
                                              std::optional<std::string_view> offset);

// Whether `offset` moves a date at all ("0", "+0", "-00" do not).
bool Moves(std::string_view offset);

}  // namespace qm
