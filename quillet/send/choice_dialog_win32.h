// The choice among several windows whose titles match an entry's target ("Auswahl").
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillet/send/target_chooser.h"

namespace qm {

inline constexpr wchar_t kChoiceDialogClass[] = L"QuilletAuswahlForm";
// Control ids: the list of windows, the hint text, and the buttons of the button array
// (index 0 "&Abbruch" = IDCANCEL, index 1 "&OK" = IDOK).
inline constexpr int kChoiceList = 1100, kChoiceLabel = 1101, kChoiceShape = 1102;

struct ChoiceCandidate {
  std::string title;
  std::uint64_t window = 0;
};

// Shows the candidates sorted by title, the first selected, modally and on top of all
// windows, its top left corner 50 pixels right of and below `main`'s (hidden or not). The
// chosen window, or nullopt for "&Abbruch" and the close box.
std::optional<std::uint64_t> ShowChoiceDialog(HWND main, const std::string& caption,
                                              const std::vector<ChoiceCandidate>& candidates);

// The choice dialog behind the sender's seam, beside `main` with "Auswahl - Quillet" as caption.
std::unique_ptr<TargetChooser> MakeWin32TargetChooser(HWND main);

}  // namespace qm
