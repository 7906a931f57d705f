// String values below HKEY_CURRENT_USER, for the Registry seam and the settings store.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace qm {

// nullopt for a missing key or value and for a value that is not REG_SZ; `error` (if given)
// receives the Win32 error then.
std::optional<std::wstring> ReadUserString(const std::wstring& key, const std::wstring& name,
                                           LONG* error = nullptr);
// The same in UTF-8.
std::optional<std::string> ReadUserText(const std::wstring& key, const std::string& name);
// False for a text that a REG_SZ value would not give back as it was: one with a NUL, where
// the value ends, or malformed UTF-8, which would come back as U+FFFD.
bool StorableAsUserString(const std::string& value);
// Creates the key when needed. Returns the Win32 error, ERROR_SUCCESS when written.
LONG WriteUserString(const std::wstring& key, const std::wstring& name, const std::wstring& value);

std::unique_ptr<Registry> MakeWin32Registry();

}  // namespace qm
