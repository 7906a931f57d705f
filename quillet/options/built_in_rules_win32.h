// The built-in delivery rules in a window of their own: a list of each rule's program or
// window class and its delivery, opened from the Options' button "Eingebaute Regeln...".
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace qm {

inline constexpr wchar_t kBuiltInRulesClass[] = L"QuilletBuiltInRules";
inline constexpr int kBuiltInRulesList = 1000;

// Modal over `owner`; `rules` are (program or window class, delivery) in the order they apply.
void ShowBuiltInRules(HWND owner, const std::string& title,
                      const std::vector<std::pair<std::string, std::string>>& rules);

}  // namespace qm
