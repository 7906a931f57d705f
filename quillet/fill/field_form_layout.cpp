// The plan of the fields' form and its place at the user's caret.
#include "quillet/fill/field_form_layout.h"

#include <algorithm>

namespace qm {
namespace {

constexpr int kColumnGap = 150;  // between a label and its control
constexpr int kRowGap = 105;
constexpr int kButtonsGap = 240;  // between the last field and the buttons
// A label's first line stands level with the text inside its control's border.
constexpr int kLabelDrop = 45;
constexpr int kCheckBox = 330;  // the box and the space after it, before a check box's text

}  // namespace

int FormLabelWidth(int widest) {
  return std::clamp(widest, kFormMinLabelWidth, kFormMaxLabelWidth);
}

int FormCheckTextWidth(int label_width) {
  return kFormClientWidth - 2 * kFormMargin - label_width - kColumnGap - kCheckBox;
}

FieldFormPlan PlanFieldForm(const std::vector<SnippetField>& fields, int label_width,
                            const std::vector<int>& text_heights) {
  FieldFormPlan plan;
  plan.label_width = label_width;
  plan.control_left = kFormMargin + label_width + kColumnGap;
  plan.control_width = kFormClientWidth - kFormMargin - plan.control_left;
  int top = kFormMargin;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const int text = i < text_heights.size() && text_heights[i] > 0 ? text_heights[i] : 240;
    FieldRowPlan row;
    row.top = top;
    switch (fields[i].kind) {
      case FieldKind::kLines:
        row.control_height = kFormLinesHeight;
        break;
      case FieldKind::kOptional:
        row.control_height = std::max(kFormCheckHeight, text + 45);
        break;
      default:
        row.control_height = kFormLineHeight;
        break;
    }
    int height = row.control_height;
    if (fields[i].kind != FieldKind::kOptional) {
      row.label_top = top + kLabelDrop;
      row.label_height = text;
      height = std::max(height, kLabelDrop + text);
    }
    plan.rows.push_back(row);
    top += height + kRowGap;
  }
  plan.buttons_top = fields.empty() ? kFormMargin : top - kRowGap + kButtonsGap;
  plan.cancel_left = kFormClientWidth - kFormMargin - kFormButtonWidth;
  plan.ok_left = plan.cancel_left - 180 - kFormButtonWidth;
  plan.height = plan.buttons_top + kFormButtonHeight + kFormMargin;
  return plan;
}

FormBox PlaceFieldForm(const FormBox& anchor, const FormBox& work, int width, int height) {
  const int below = work.bottom - anchor.bottom, above = anchor.top - work.top;
  int top = anchor.bottom;
  if (height > below && (height <= above || above > below)) top = anchor.top - height;
  // The right and bottom edges first, so that a window larger than the work area keeps its
  // caption on the screen.
  const int left = std::max(std::min(anchor.left, work.right - width), work.left);
  top = std::max(std::min(top, work.bottom - height), work.top);
  return {left, top, left + width, top + height};
}

}  // namespace qm
