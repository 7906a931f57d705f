// Filling and searching the main window's sorted list box and title box.
#include "quillet/main/list_controls_win32.h"

#include <algorithm>
#include <set>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

// Sorted lists are put in the order the list box itself compares in (CompareStringW, letter
// case ignored), so that items inserted in this order are where the control would have put
// them. A sort key per item compares byte by byte in that same order: one system call per
// item instead of one per comparison, which under Wine was most of filling a large list.
template <typename T, typename TextOf>
void SortAsListDoes(std::vector<T>& items, TextOf text_of) {
  std::vector<std::pair<std::string, std::size_t>> keys(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    keys[i].first = ListSortKey(text_of(items[i]));
    keys[i].second = i;
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (const auto& key : keys) sorted.push_back(std::move(items[key.second]));
  items = std::move(sorted);
}

std::wstring ComboItemText(HWND box, LRESULT index) {
  std::wstring item(
      static_cast<std::size_t>(std::max<LRESULT>(0, SendMessageW(box, CB_GETLBTEXTLEN, index, 0))) +
          1,
      L'\0');
  item.resize(static_cast<std::size_t>(std::max<LRESULT>(
      0, SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data())))));
  return item;
}

}  // namespace

std::string ListSortKey(const std::wstring& text) {
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int bytes = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.c_str(), -1, nullptr, 0);
  std::string key(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
  if (bytes > 0) {
    LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.c_str(), -1,
                 reinterpret_cast<LPWSTR>(key.data()), bytes);
  }
  return key;
}

void ListBoxAddAll(HWND list, const std::vector<std::pair<std::string, int>>& items) {
  std::vector<std::pair<std::wstring, int>> wide;
  wide.reserve(items.size());
  for (const auto& [name, number] : items) wide.emplace_back(Utf8ToWide(name), number);
  const bool empty = SendMessageW(list, LB_GETCOUNT, 0, 0) == 0;
  if (empty) {
    // Sorted here the way the list sorts, then appended: one sorted insertion per item
    // would compare each name with half the list.
    SortAsListDoes(wide, [](const auto& item) -> const std::wstring& { return item.first; });
  }
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_INITSTORAGE, wide.size(), wide.size() * 32);
  for (const auto& [name, number] : wide) {
    const auto pos =
        SendMessageW(list, empty ? LB_INSERTSTRING : LB_ADDSTRING,
                     empty ? static_cast<WPARAM>(-1) : 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (pos >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(pos), number);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

std::string ListBoxText(HWND list, int pos) {
  const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(pos), 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      std::max<LRESULT>(0, SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(pos),
                                        reinterpret_cast<LPARAM>(text.data())))));
  return WideToUtf8(text);
}

void ComboBoxAddMissing(HWND box, const std::vector<std::string>& titles) {
  std::set<std::wstring> present;
  const auto count = SendMessageW(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) present.insert(ComboItemText(box, i));
  std::vector<std::wstring> add;
  for (const std::string& t : titles) {
    std::wstring w = Utf8ToWide(t);
    if (present.insert(w).second) add.push_back(std::move(w));
  }
  const bool empty = count == 0;
  if (empty) SortAsListDoes(add, [](const std::wstring& w) -> const std::wstring& { return w; });
  // As for the entry list: with redrawing on, each insertion also updates the hidden
  // drop-down list, which under Wine cost several times the insertion itself.
  SendMessageW(box, WM_SETREDRAW, FALSE, 0);
  SendMessageW(box, CB_INITSTORAGE, add.size(), add.size() * 32);
  for (const std::wstring& w : add) {
    SendMessageW(box, empty ? CB_INSERTSTRING : CB_ADDSTRING, empty ? static_cast<WPARAM>(-1) : 0,
                 reinterpret_cast<LPARAM>(w.c_str()));
  }
  SendMessageW(box, WM_SETREDRAW, TRUE, 0);
}

bool ComboBoxHasExact(HWND box, const std::string& title) {
  const std::wstring wide = Utf8ToWide(title);
  // CB_FINDSTRINGEXACT ignores letter case; the list wants the exact text.
  for (LRESULT from = -1;;) {
    const LRESULT at = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(from),
                                    reinterpret_cast<LPARAM>(wide.c_str()));
    if (at == CB_ERR || at <= from) return false;
    if (ComboItemText(box, at) == wide) return true;
    from = at;
  }
}

}  // namespace qm
