// The snippet menu as a real popup menu: the tree becomes menus, a choice becomes its tag.
#include "quillet/menu/popup_menu_win32.h"

#include <vector>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

// Owns a menu and the submenus appended to it.
class MenuHandle {
 public:
  explicit MenuHandle(HMENU menu) : menu_(menu) {}
  ~MenuHandle() {
    if (menu_) DestroyMenu(menu_);
  }
  MenuHandle(const MenuHandle&) = delete;
  MenuHandle& operator=(const MenuHandle&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

// Command ids are positions in `tags` plus one, so that any number of entries fits.
void Append(HMENU menu, const PopupMenu& items, std::vector<std::string>& tags) {
  for (const PopupMenuItem& item : items) {
    if (item.IsSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (item.IsGroup()) {
      HMENU sub = CreatePopupMenu();
      Append(sub, item.children, tags);
      AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                  Utf8ToWide(item.caption).c_str());
    } else {
      tags.push_back(item.tag);
      const UINT id = static_cast<UINT>(tags.size());
      AppendMenuW(menu, MF_STRING, id, Utf8ToWide(item.caption).c_str());
      if (item.is_default) SetMenuDefaultItem(menu, id, FALSE);
    }
  }
}

}  // namespace

HMENU CreateSnippetMenu(const PopupMenu& menu, std::vector<std::string>& tags) {
  HMENU popup = CreatePopupMenu();
  if (popup) Append(popup, menu, tags);
  return popup;
}

std::optional<std::string> TrackSnippetMenu(HWND owner, const PopupMenu& menu, POINT at) {
  std::vector<std::string> tags;
  MenuHandle popup(CreateSnippetMenu(menu, tags));
  if (!popup.get()) return std::nullopt;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      popup.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
  // The menu closes properly when the owner gets a message after it.
  PostMessageW(owner, WM_NULL, 0, 0);
  if (chosen == 0 || chosen > tags.size()) return std::nullopt;
  return tags[chosen - 1];
}

}  // namespace qm
