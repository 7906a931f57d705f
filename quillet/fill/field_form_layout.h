// The plan of the fields' form: one row per field, its label to the left of its control, the
// buttons below them, and where the window opens.
#pragma once

#include <vector>

#include "quillet/fill/field_form.h"

namespace qm {

// Twips.
inline constexpr int kFormClientWidth = 7200;
inline constexpr int kFormMargin = 180;
inline constexpr int kFormLineHeight = 345;    // an Edit or a closed drop-down list
inline constexpr int kFormLinesHeight = 1125;  // a multi-line Edit: four lines of text
inline constexpr int kFormCheckHeight = 285;   // a check box's one line
inline constexpr int kFormButtonWidth = 1560, kFormButtonHeight = 375;
// The label column is as wide as the widest label, within these bounds; a longer label breaks
// into lines.
inline constexpr int kFormMinLabelWidth = 900, kFormMaxLabelWidth = 2880;

struct FieldRowPlan {
  int top = 0;                          // of the control; the label stands beside it
  int control_height = 0;               // for a drop-down list, its closed height
  int label_top = 0, label_height = 0;  // a check box has no label: its text is its own
};

struct FieldFormPlan {
  int label_left = kFormMargin, label_width = 0;
  int control_left = 0, control_width = 0;
  std::vector<FieldRowPlan> rows;  // one per field, in its order
  int buttons_top = 0;
  int ok_left = 0, cancel_left = 0;
  int height = 0;  // of everything, margins included; the window shows at most what fits
};

// The column width for labels `widest` twips wide, bounded.
int FormLabelWidth(int widest);

// `text_heights` holds what each field's text takes, broken into lines as measured in the
// window's font: a label's at `label_width`, a check box's at the control column's width
// less its box (FormCheckTextWidth). A missing height counts as one line.
FieldFormPlan PlanFieldForm(const std::vector<SnippetField>& fields, int label_width,
                            const std::vector<int>& text_heights);
int FormCheckTextWidth(int label_width);

// The window's outer rect of `width` x `height` pixels: below the anchor and starting at its
// left, or above it where only there it fits; where it fits on neither side, on the side with
// more room. Kept inside the monitor's `work` area, its top-left corner first.
FormBox PlaceFieldForm(const FormBox& anchor, const FormBox& work, int width, int height);

}  // namespace qm
