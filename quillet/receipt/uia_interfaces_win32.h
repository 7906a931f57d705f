// The few UI Automation client interfaces the receipt asks through, declared here because the
// cross-compiler's headers declare only the provider side. Each is a COM interface: its
// methods are called through its table by slot, so every method the receipt does not call
// still stands here in its place, as a placeholder, in the order of the system's interface
// definition (UIAutomationClient.idl). Nothing may be added, removed or reordered, and no two
// methods may share a name: compilers order overloaded virtual functions differently.
//
// The slots were counted twice: once from the definition by hand, each block's first slot
// written beside it below, and once by a scratch program that printed the slot of every
// method called here (a GCC pointer to a virtual member holds its table offset plus one).
// Slots 0-2 are IUnknown's QueryInterface, AddRef and Release.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace qm::uia {

using PropertyId = int;
using PatternId = int;

// From the same definition.
constexpr PatternId kValuePattern = 10002;
constexpr PatternId kTextPattern = 10014;
constexpr PropertyId kProcessIdProperty = 30002;
constexpr PropertyId kControlTypeProperty = 30003;
constexpr PropertyId kIsPasswordProperty = 30019;
constexpr PropertyId kValueIsReadOnlyProperty = 30046;
constexpr int kEditControlType = 50004;
constexpr int kDocumentControlType = 50030;
enum TextRangeEndpoint : int { kRangeStart = 0, kRangeEnd = 1 };  // TextPatternRangeEndpoint

// CUIAutomation {ff48dba4-60ef-4201-aa87-54103eef594e}
constexpr CLSID kClsidAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
// IUIAutomation {30cbe57d-d9d0-452a-ab13-7ac5ac4825ee}
constexpr IID kIidAutomation = {
    0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
// IUIAutomationTextPattern {32eba289-3583-42c9-9c59-3b6d9a1e9b6a}
constexpr IID kIidTextPattern = {
    0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};
// IUIAutomationValuePattern {a94cd8b1-0844-4cd6-9d2d-640537ab39e9}
constexpr IID kIidValuePattern = {
    0xa94cd8b1, 0x0844, 0x4cd6, {0x9d, 0x2d, 0x64, 0x05, 0x37, 0xab, 0x39, 0xe9}};

struct Element;
struct TextRange;

// A COM interface has no destructor in its table: its objects are released, never deleted.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// IUIAutomation, slots 3-8; the receipt calls GetFocusedElement.
struct Automation : IUnknown {
  // 3 CompareElements, 4 CompareRuntimeIds, 5 GetRootElement, 6 ElementFromHandle,
  // 7 ElementFromPoint
  virtual HRESULT STDMETHODCALLTYPE unused_03() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_04() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_05() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_06() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_07() = 0;
  // 8
  virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(Element** element) = 0;
};

// IUIAutomationElement, slots 3-14; the receipt calls GetCurrentPropertyValue and
// GetCurrentPatternAs.
struct Element : IUnknown {
  // 3 SetFocus, 4 GetRuntimeId, 5 FindFirst, 6 FindAll, 7 FindFirstBuildCache,
  // 8 FindAllBuildCache, 9 BuildUpdatedCache
  virtual HRESULT STDMETHODCALLTYPE unused_03() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_04() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_05() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_06() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_07() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_08() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_09() = 0;
  // 10
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(PropertyId id, VARIANT* value) = 0;
  // 11 GetCurrentPropertyValueEx, 12 GetCachedPropertyValue, 13 GetCachedPropertyValueEx
  virtual HRESULT STDMETHODCALLTYPE unused_11() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_12() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_13() = 0;
  // 14
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(PatternId id, REFIID iid,
                                                        void** pattern) = 0;
};

// IUIAutomationTextRange, slots 3-15; the receipt calls Clone, GetText and
// MoveEndpointByRange.
struct TextRange : IUnknown {
  // 3
  virtual HRESULT STDMETHODCALLTYPE Clone(TextRange** copy) = 0;
  // 4 Compare, 5 CompareEndpoints, 6 ExpandToEnclosingUnit, 7 FindAttribute, 8 FindText,
  // 9 GetAttributeValue, 10 GetBoundingRectangles, 11 GetEnclosingElement
  virtual HRESULT STDMETHODCALLTYPE unused_04() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_05() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_06() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_07() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_08() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_09() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_10() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_11() = 0;
  // 12
  virtual HRESULT STDMETHODCALLTYPE GetText(int most_length, BSTR* text) = 0;
  // 13 Move, 14 MoveEndpointByUnit
  virtual HRESULT STDMETHODCALLTYPE unused_13() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_14() = 0;
  // 15
  virtual HRESULT STDMETHODCALLTYPE MoveEndpointByRange(TextRangeEndpoint endpoint,
                                                        TextRange* range,
                                                        TextRangeEndpoint target) = 0;
};

// IUIAutomationTextRangeArray, slots 3-4: all of it.
struct TextRangeArray : IUnknown {
  // 3
  virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
  // 4
  virtual HRESULT STDMETHODCALLTYPE GetElement(int index, TextRange** range) = 0;
};

// IUIAutomationTextPattern, slots 3-7; the receipt calls GetSelection and get_DocumentRange.
struct TextPattern : IUnknown {
  // 3 RangeFromPoint, 4 RangeFromChild
  virtual HRESULT STDMETHODCALLTYPE unused_03() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused_04() = 0;
  // 5
  virtual HRESULT STDMETHODCALLTYPE GetSelection(TextRangeArray** ranges) = 0;
  // 6 GetVisibleRanges
  virtual HRESULT STDMETHODCALLTYPE unused_06() = 0;
  // 7
  virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(TextRange** range) = 0;
};

// IUIAutomationValuePattern, slots 3-4; the receipt calls get_CurrentValue. Slot 3 is SetValue,
// which must never be called.
struct ValuePattern : IUnknown {
  // 3 SetValue
  virtual HRESULT STDMETHODCALLTYPE unused_03() = 0;
  // 4
  virtual HRESULT STDMETHODCALLTYPE get_CurrentValue(BSTR* value) = 0;
};

#pragma GCC diagnostic pop

}  // namespace qm::uia
