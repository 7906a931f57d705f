// The form that asks a snippet's fields before it is sent: what the sender hands over, the
// asker it calls, and the values each field starts with, remembered per user and entry.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"
#include "quillet/send/field_asker.h"
#include "quillet/send/snippet_fields.h"
#include "store/user_settings.h"

namespace qm {

// The last values sent for each entry are kept per user in one settings value, never in the
// data file that others share, and never for an enciphered entry: its fields may hold what
// the cipher protects.
inline constexpr const char* kFieldMemoryKey = "FormValues";
// The entries most recently sent with fields are kept; an older one is forgotten.
inline constexpr std::size_t kRememberedEntries = 200;
// A longer value is not kept: its field starts empty next time.
inline constexpr std::size_t kMaxRememberedValueBytes = 4096;

// The values `fields` start with for `entry_name`: the ones of its last send, where a field of
// that name (letter case ignored) and kind was sent then. Otherwise, and always for an
// enciphered entry, a text field starts empty, a choice on its first item (also where the
// item remembered is no longer among its choices) and an optional section unticked.
FieldValues StartValues(UserSettings& settings, const std::string& entry_name,
                        const std::vector<SnippetField>& fields, bool enciphered);

// Keeps `values` as the entry's last ones (a missing value counts as empty and unticked).
// For an enciphered entry nothing is kept and what an earlier send of that name kept is
// forgotten. Reads the stored value afresh, so that a damaged one gives way to a sound one.
Status RememberValues(UserSettings& settings, const std::string& entry_name,
                      const std::vector<SnippetField>& fields, const FieldValues& values,
                      bool enciphered);

}  // namespace qm
