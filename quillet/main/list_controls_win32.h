// The main window's sorted entry list and title box: filled fast, in the order the controls
// themselves sort in, and searched for an exact title.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace qm {

// The key that orders a text as the sorted lists do (the system's comparison, letter case
// ignored), compared byte by byte.
std::string ListSortKey(const std::wstring& text);
// Adds the names with their numbers as item data to a sorted list box.
void ListBoxAddAll(HWND list, const std::vector<std::pair<std::string, int>>& items);
std::string ListBoxText(HWND list, int pos);
// Adds to a sorted combo box the titles it does not hold yet.
void ComboBoxAddMissing(HWND box, const std::vector<std::string>& titles);
// Whether the combo box's list holds the title, letter case included.
bool ComboBoxHasExact(HWND box, const std::string& title);

}  // namespace qm
