#include "quillet/receipt/automation_text_win32.h"

#include <string>
#include <string_view>

#include "platform/com_ref_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/receipt/uia_interfaces_win32.h"

namespace qm {
namespace {

// As much as an Edit control is read: a longer text is not read at all.
constexpr int kMostUnits = 32'000;

using FreeStringFunction = void(WINAPI*)(BSTR);
using StringLengthFunction = UINT(WINAPI*)(BSTR);
using VariantClearFunction = HRESULT(WINAPI*)(VARIANTARG*);

struct Library {
  FreeStringFunction free_string = nullptr;
  StringLengthFunction string_length = nullptr;
  VariantClearFunction clear = nullptr;
};

// Bound at the first question, as accessibility's are: most targets never need them.
const Library& Functions() {
  static const Library library = [] {
    Library l;
    const HMODULE oleaut = LoadLibraryExW(L"oleaut32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!oleaut) return l;
    const auto bind = [oleaut](const char* name) {
      return reinterpret_cast<void (*)()>(GetProcAddress(oleaut, name));
    };
    l.free_string = reinterpret_cast<FreeStringFunction>(bind("SysFreeString"));
    l.string_length = reinterpret_cast<StringLengthFunction>(bind("SysStringLen"));
    l.clear = reinterpret_cast<VariantClearFunction>(bind("VariantClear"));
    return l;
  }();
  return library;
}

template <typename T>
using Held = ComRef<T>;

// A string handed out by the other side, freed at the scope's end.
class Bstr {
 public:
  explicit Bstr(const Library& l) : l_(l) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() {
    if (s_) l_.free_string(s_);
  }
  BSTR* out() { return &s_; }
  std::wstring_view view() const {
    return s_ ? std::wstring_view(s_, l_.string_length(s_)) : std::wstring_view();
  }

 private:
  const Library& l_;
  BSTR s_ = nullptr;
};

// A property that is a number or a truth; nullopt where the element does not tell it.
std::optional<long> Property(const Library& l, uia::Element* element, uia::PropertyId id) {
  VARIANT value{};
  value.vt = VT_EMPTY;
  if (FAILED(element->GetCurrentPropertyValue(id, &value))) return std::nullopt;
  std::optional<long> out;
  if (value.vt == VT_I4) out = value.lVal;
  if (value.vt == VT_BOOL) out = value.boolVal != VARIANT_FALSE ? 1 : 0;
  l.clear(&value);
  return out;
}

// A range's text (UTF-8); nullopt where it cannot be read or is longer than an Edit may be.
std::optional<std::string> RangeText(const Library& l, uia::TextRange* range) {
  Bstr text(l);
  if (range->GetText(kMostUnits + 1, text.out()) != S_OK ||
      text.view().size() > static_cast<std::size_t>(kMostUnits)) {
    return std::nullopt;
  }
  return WideToUtf8(text.view());
}

// The document's text, and the first selection as the text from the document's start to it
// and its own; a selection that cannot be told leaves the caret unknown.
std::optional<AccessibleText> DocumentText(const Library& l, uia::TextPattern* pattern) {
  Held<uia::TextRange> document;
  if (FAILED(pattern->get_DocumentRange(document.out())) || !document) return std::nullopt;
  std::optional<std::string> all = RangeText(l, document.get());
  if (!all) return std::nullopt;
  AccessibleText out;
  out.text = std::move(*all);
  Held<uia::TextRangeArray> selections;
  Held<uia::TextRange> selection, head;
  int count = 0;
  if (SUCCEEDED(pattern->GetSelection(selections.out())) && selections &&
      SUCCEEDED(selections->get_Length(&count)) && count > 0 &&
      SUCCEEDED(selections->GetElement(0, selection.out())) && selection &&
      SUCCEEDED(document->Clone(head.out())) && head &&
      SUCCEEDED(head->MoveEndpointByRange(uia::kRangeEnd, selection.get(), uia::kRangeStart))) {
    out.before_selection = RangeText(l, head.get());
    const std::optional<std::string> selected = RangeText(l, selection.get());
    if (selected) {
      out.selected = *selected;
    } else {
      out.before_selection.reset();
    }
  }
  return out;
}

}  // namespace

std::optional<AccessibleText> FocusedAutomationText(HWND window, bool with_text) {
  const Library& l = Functions();
  if (!l.free_string || !l.string_length || !l.clear) return std::nullopt;
  // The system's focus is asked for: it is the target's only while `window` has the keyboard
  // focus of the thread in front (an app's window in another program's frame included).
  DWORD process = 0;
  GUITHREADINFO front{};
  front.cbSize = sizeof front;
  if (GetWindowThreadProcessId(window, &process) == 0 || !GetGUIThreadInfo(0, &front) ||
      front.hwndFocus != window) {
    return std::nullopt;
  }
  // Made for each question, as COM is: kept, it would need COM kept on this thread.
  Held<uia::Automation> automation;
  if (FAILED(CoCreateInstance(uia::kClsidAutomation, nullptr, CLSCTX_INPROC_SERVER,
                              uia::kIidAutomation, automation.out_void())) ||
      !automation) {
    return std::nullopt;
  }
  Held<uia::Element> element;
  if (FAILED(automation->GetFocusedElement(element.out())) || !element) return std::nullopt;
  if (Property(l, element.get(), uia::kProcessIdProperty) != static_cast<long>(process)) {
    return std::nullopt;
  }
  const std::optional<long> type = Property(l, element.get(), uia::kControlTypeProperty);
  if (type != uia::kEditControlType && type != uia::kDocumentControlType) return std::nullopt;
  // Never a text unless the element says it is no password field.
  const std::optional<long> password = Property(l, element.get(), uia::kIsPasswordProperty);
  if (!password) return std::nullopt;
  if (*password != 0) {
    AccessibleText field;
    field.password = true;
    return field;
  }
  // Told only by an element with a value pattern; a document without one is taken as editable.
  if (Property(l, element.get(), uia::kValueIsReadOnlyProperty).value_or(0) != 0) {
    return std::nullopt;
  }
  Held<uia::TextPattern> text;
  if (SUCCEEDED(element->GetCurrentPatternAs(uia::kTextPattern, uia::kIidTextPattern,
                                             text.out_void())) &&
      text) {
    return with_text ? DocumentText(l, text.get()) : AccessibleText{};
  }
  Held<uia::ValuePattern> value;
  if (FAILED(element->GetCurrentPatternAs(uia::kValuePattern, uia::kIidValuePattern,
                                          value.out_void())) ||
      !value) {
    return std::nullopt;
  }
  if (!with_text) return AccessibleText{};
  Bstr held(l);
  if (value->get_CurrentValue(held.out()) != S_OK ||
      held.view().size() > static_cast<std::size_t>(kMostUnits)) {
    return std::nullopt;
  }
  AccessibleText out;
  out.text = WideToUtf8(held.view());
  return out;
}

}  // namespace qm
