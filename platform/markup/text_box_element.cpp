// Text boxes ("TEXTBOX"): the element's content as styled text in a read-only rich-edit control, which the page
// draws transparently and whose links it follows, or an editable Win32 edit field holding the content as text.
#include <algorithm>
#include <cstring>

#include "host/controls.h"
#include "host/gdi.h"
#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/strings.h"
#include "platform/markup/element_support.h"
#include "platform/markup/interface_state.h"

using element_support::DataOf;
using Data = TextBoxElement::Data;

namespace {

constexpr DWORD kEditStyle = 0x40818000;      // a bordered child that takes Tab
constexpr DWORD kRichEditStyle = 0x40008000;  // a child that keeps its selection
constexpr int32_t kHandCursor = 32649;
constexpr uint32_t kLinkBlue = 0xEE0000FF;  // red 0, green 0, blue 0xEE
// The characters a box lets in unless ALLOW says fewer.
constexpr const char* kDefaultAllowed =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz `1234567890~!@#$%^&*()-=_+[]\\{}|;':,./<>?\"";

void FillAllowed(MarkupNode* node, Data* box) {
  const char* allow = GetMarkupAttribute(node, "ALLOW");
  for (const char* p = kDefaultAllowed; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    box->allowed[c] = allow == nullptr || std::strchr(allow, *p) != nullptr ? 1 : 0;
  }
}

PlatformError Create(MarkupNode* node, PlatformHandle* instance) {
  Data* box = element_support::MakeData<Data>(instance);
  if (box == nullptr) return kPlatformErrNoMemory;
  InterfacePage* page = InterfacePage::CurrentPage();
  box->foreground = page != nullptr ? page->foreground : kInterfaceBlack;
  box->background = page != nullptr ? page->background : kInterfaceWhite;
  box->linkColour = kLinkBlue;
  box->alignment = InterfacePage::GetAlignment();
  const char* editable = GetMarkupAttribute(node, "EDITABLE");
  box->editable = editable != nullptr && ParseInterfaceBool(editable);
  box->foregroundGiven = element_support::AttributeColour("FGCOLOR", &box->foreground);
  box->backgroundGiven = element_support::AttributeColour("BGCOLOR", &box->background);
  FillAllowed(node, box);
  box->visible = 1;
  box->enabled = 1;
  box->enabledByActivation = 1;
  return kPlatformNoError;
}

void ApplyEnabled(const Data* box) {
  if (box->editable) element_support::ApplyEnabled(box->control, box->enabledByActivation, box->enabled);
}

bool IsFocused(const Data* box) {
  InterfacePage* page = InterfacePage::CurrentPage();
  return box->focused && page != nullptr && page->focus != nullptr &&
         page->focus->element == InterfacePage::CurrentElement();
}

void FreeLinks(Data* box) {
  const uint32_t count = box->links != nullptr ? PlatformHandle::GetSize(box->links) / sizeof(TextBoxLink) : 0;
  for (uint32_t i = 0; i < count; ++i) PlatformDisposePointer(static_cast<TextBoxLink*>(box->links->data)[i].href);
  PlatformHandle::Dispose(box->links);
  box->links = nullptr;
}

void Detach(Data* box) {
  FreeLinks(box);
  TextBoxElement::FreeDrawingCache(box);
  if (box->control != nullptr) DestroyWindow(box->control);
  box->control = nullptr;
  if (box->font != nullptr) DeleteObject(box->font);
  box->font = nullptr;
  if (box->library != nullptr) FreeLibrary(box->library);
  box->library = nullptr;
}

// The height of the text of a character format, as the rich-edit control draws it.
int32_t TextHeight(HDC dc, const CHARFORMATA& format) {
  LOGFONTA font{};
  font.lfHeight = -static_cast<LONG>((int64_t{format.yHeight} * 96 + 720) / 1440);
  font.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (format.dwEffects & CFE_ITALIC) ? 1 : 0;
  font.lfPitchAndFamily = format.bPitchAndFamily;
  if (std::strcmp(format.szFaceName, "system") != 0) {
    PlatformCopyStringBounded(font.lfFaceName, format.szFaceName, LF_FACESIZE);
  }
  HFONT made = CreateFontIndirectA(&font);
  if (made == nullptr || dc == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, made);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  DeleteObject(made);
  return metrics.tmHeight;
}

// The piece of text a content node puts into the control, and whether it is taken as it stands.
const char* PieceOf(const MarkupNode* node, bool* literal) {
  *literal = true;
  if (IsMarkupElement(node)) {
    if (std::strcmp(node->name, "P") == 0) return "\n\n";
    if (std::strcmp(node->name, "BR") == 0 || std::strcmp(node->name, "DT") == 0 ||
        std::strcmp(node->name, "DD") == 0) {
      return "\n";
    }
    if (std::strcmp(node->name, "LI") == 0) return "\n* ";
    return nullptr;
  }
  *literal = false;
  return node->kind == kMarkupText ? MarkupNodeText(node) : nullptr;
}

void InsertAtEnd(const Data* box, const char* text) {
  const int32_t end = GetRichEditTextLength(box->control, box->rich20);
  SendMessageA(box->control, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageA(box->control, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(box->control, EM_SETSEL, 0, 0);
}

PlatformError AddLink(Data* box, int32_t start, int32_t length, const char* href, int32_t height, bool extend) {
  if (box->links == nullptr) box->links = PlatformHandle::New(0);
  if (box->links == nullptr) return kPlatformErrNoMemory;
  const uint32_t count = PlatformHandle::GetSize(box->links) / sizeof(TextBoxLink);
  if (extend && count > 0) {
    TextBoxLink& last = static_cast<TextBoxLink*>(box->links->data)[count - 1];
    last.length += length;
    last.height = std::max(last.height, height);
    return kPlatformNoError;
  }
  TextBoxLink link{start, length, PlatformDuplicateString(href), height};
  if (link.href == nullptr) return kPlatformErrNoMemory;
  PlatformError error = PlatformHandle::AppendBytes(box->links, &link, sizeof link);
  if (error != kPlatformNoError) PlatformDisposePointer(link.href);
  return error;
}

// Puts the element's content into the control, piece by piece, with its formats and links.
PlatformError FillContent(HDC dc, Data* box) {
  bool previousEndedInSpace = true;
  const char* previousLink = nullptr;
  const char* face = nullptr;
  const char* link = nullptr;
  int32_t size = 0;
  MarkupTextStyle style = 0;
  uint32_t colour = 0;
  for (MarkupNode* node = InterfacePage::NextContentNode(nullptr, &face, &size, &style, &colour, &link);
       node != nullptr; node = InterfacePage::NextContentNode(node, &face, &size, &style, &colour, &link)) {
    bool literal = false;
    const char* text = PieceOf(node, &literal);
    if (text == nullptr) continue;
    PlatformHandle* piece = PlatformHandle::New(0);
    if (piece == nullptr) return kPlatformErrNoMemory;
    PlatformError error =
        AppendRichEditText(piece, text, !literal && !(style & kMarkupPreformatted), previousEndedInSpace);
    const uint32_t length = PlatformHandle::GetSize(piece);
    if (error == kPlatformNoError && length > 0) error = PlatformHandle::AppendBytes(piece, "", 1);
    if (error != kPlatformNoError || length == 0) {
      PlatformHandle::Dispose(piece);
      if (error != kPlatformNoError) return error;
      continue;
    }
    const char last = static_cast<const char*>(piece->data)[length - 1];
    const int32_t start = GetRichEditTextLength(box->control, box->rich20);
    InsertAtEnd(box, static_cast<const char*>(piece->data));
    PlatformHandle::Dispose(piece);
    const int32_t end = GetRichEditTextLength(box->control, box->rich20);
    if (!box->editable) {
      RichEditFormats formats;
      MakeRichEditCharFormat(box->control, dc, box, &formats, face, size, style, colour);
      const char* pieceLink = (style & kMarkupLink) && link != nullptr ? link : nullptr;
      if (pieceLink != nullptr) {
        // Runs inside the same "A" element (the very same HREF value) make one link.
        error =
            AddLink(box, start, end - start, pieceLink, TextHeight(dc, formats.charFormat), pieceLink == previousLink);
        if (error != kPlatformNoError) return error;
      }
      previousLink = pieceLink;
      SendMessageA(box->control, EM_SETSEL, static_cast<WPARAM>(start), end);
      SendMessageA(box->control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&formats.charFormat));
      SendMessageA(box->control, EM_SETSEL, 0, 0);
    }
    previousEndedInSpace = last == '\r' || last == '\n' || last == '\t' || last == ' ';
  }
  return kPlatformNoError;
}

// Whether the box is one line: SINGLE when given, else when twice the size of its first text is at least its
// height.
bool IsSingleLine(MarkupNode* node, const Data* box) {
  if (const char* single = GetMarkupAttribute(node, "SINGLE"); single != nullptr) return ParseInterfaceBool(single);
  int32_t size = 0;
  if (InterfacePage::NextTextRun(nullptr, nullptr, &size, nullptr, nullptr, nullptr) == nullptr) {
    InterfacePage::GetTextStyle(nullptr, &size, nullptr, nullptr, nullptr);
  }
  return int64_t{size} * 2 >= box->rect.Height();
}

}  // namespace

PlatformError TextBoxElement::CreateControl(HWND pageWindow, Data* box) {
  InterfaceElement* element = InterfacePage::CurrentElement();
  if (element == nullptr) return kPlatformErrBadData;
  box->singleLine = IsSingleLine(element->node, box);
  static bool commonControlsReady = false;
  if (!commonControlsReady) {
    InitCommonControls();
    commonControlsReady = true;
  }
  DWORD style = box->singleLine ? ES_AUTOHSCROLL : (ES_MULTILINE | ES_AUTOVSCROLL);
  if (box->alignment == 0) style |= ES_CENTER;
  if (box->alignment == 1) style |= ES_RIGHT;
  const Rect& r = box->rect;
  const int width = static_cast<int>(r.Width()), height = static_cast<int>(r.Height()) + 2;
  HMENU id = element_support::ControlId(pageWindow);
  HINSTANCE program = GetModuleHandleA(nullptr);
  if (box->editable) {
    box->control = CreateWindowExA(WS_EX_LEFT, "EDIT", "", style | kEditStyle, r.left, r.top, width, height, pageWindow,
                                   id, program, nullptr);
  } else {
    box->library = LoadLibraryA("RICHED20.DLL");
    box->rich20 = box->library != nullptr;
    if (box->library == nullptr) box->library = LoadLibraryA("RICHED32.DLL");
    if (box->library == nullptr) return kPlatformErrNoMemory;
    box->control =
        CreateWindowExA(box->rich20 ? WS_EX_TRANSPARENT : WS_EX_LEFT, box->rich20 ? "RichEdit20A" : "RICHEDIT", "",
                        style | kRichEditStyle, r.left, r.top, width, height, pageWindow, id, program, nullptr);
    // The control takes no input: the page draws it and follows its links.
    if (box->control != nullptr) EnableWindow(box->control, FALSE);
  }
  if (box->control == nullptr) return kPlatformErrNoMemory;
  SendMessageA(box->control, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(interface_internal::ColorRefOf(box->background)));
  HDC dc = GetDC(pageWindow);
  PlatformError error = FillContent(dc, box);
  if (error == kPlatformNoError && box->editable) {
    // The field's font is the format of the first text, without the link's look.
    const char* face = nullptr;
    int32_t size = 0;
    MarkupTextStyle runStyle = 0;
    uint32_t colour = 0;
    if (InterfacePage::NextTextRun(nullptr, &face, &size, &runStyle, &colour, nullptr) == nullptr) {
      InterfacePage::GetTextStyle(&face, &size, &runStyle, &colour, nullptr);
    }
    RichEditFormats formats;
    MakeRichEditCharFormat(box->control, dc, box, &formats, face, size, runStyle & ~kMarkupLink, colour);
    box->font = CreateFontIndirectA(&formats.logFont);
    if (box->font == nullptr) error = kPlatformErrNoMemory;
    if (error == kPlatformNoError) {
      SendMessageA(box->control, WM_SETFONT, reinterpret_cast<WPARAM>(box->font), TRUE);
      SendMessageA(box->control, EM_SETSEL, 0, GetRichEditTextLength(box->control, false));
      ShowWindow(box->control, SW_SHOW);
    }
  } else if (error == kPlatformNoError) {
    InsertAtEnd(box, "\r\n");
    SendMessageA(box->control, EM_SETREADONLY, TRUE, 0);
    ShowWindow(box->control, SW_SHOW);
  }
  ReleaseDC(pageWindow, dc);
  return error;
}

PlatformError TextBoxElement::Proc(HWND window, HDC dc, MarkupNode* node, PlatformHandle* instance, int32_t message,
                                   intptr_t parameter1, intptr_t parameter2) {
  if (message == kElementCreate) return Create(node, instance);
  Data* box = DataOf<Data>(instance);
  if (box == nullptr) return kPlatformNoError;
  switch (message) {
    case kElementAttach: {
      PlatformError error = CreateControl(window, box);
      if ((box = element_support::CurrentData<Data>()) == nullptr) return error;
      ApplyEnabled(box);
      return error;
    }
    case kElementDetach:
      Detach(box);
      return kPlatformNoError;
    case kElementDispose:
      return element_support::DisposeData(instance);
    case kElementOwnsWindow:
      element_support::PutByte(parameter2,
                               box->control != nullptr && reinterpret_cast<HWND>(parameter1) == box->control);
      return kPlatformNoError;
    case kElementHitTest: {
      const auto* mouse = reinterpret_cast<const MouseEventRecord*>(parameter1);
      const Point point{mouse->windowX, mouse->windowY};
      element_support::PutByte(parameter2, !Rect::IsEmpty(&box->rect) && Rect::ContainsPoint(&point, &box->rect));
      return kPlatformNoError;
    }
    case kElementDraw:
      if (box->editable) {
        element_support::PaintChildWindow(window, dc, box->control, box->rect,
                                          PRF_CHECKVISIBLE | PRF_CLIENT | PRF_ERASEBKGND);
        return kPlatformNoError;
      }
      return DrawTransparent(box, dc);
    case kElementMouseDown: {
      if (box->editable) return kPlatformNoError;
      const auto* mouse = reinterpret_cast<const MouseEventRecord*>(parameter1);
      const Point point{mouse->windowX, mouse->windowY};
      return HitTestRichEditLink(window, dc, box, &point, true, reinterpret_cast<InterfaceActionResult*>(parameter2));
    }
    case kElementKey:
      if (box->editable && box->visible && IsFocused(box) && box->enabled && InterfacePage::ElementsEnabled()) {
        reinterpret_cast<InterfaceActionResult*>(parameter2)->used = 1;
      }
      return kPlatformNoError;
    case kElementCursor: {
      int16_t cursor = 0;
      if (!box->editable && box->enabled && box->links != nullptr && PlatformHandle::GetSize(box->links) > 0) {
        const auto* mouse = reinterpret_cast<const MouseEventRecord*>(parameter1);
        const Point point{mouse->windowX, mouse->windowY};
        InterfaceActionResult over{};
        HitTestRichEditLink(window, dc, box, &point, false, &over);
        if (over.used) cursor = kHandCursor;
      }
      if (parameter2 != 0) *reinterpret_cast<int16_t*>(parameter2) = cursor;
      return kPlatformNoError;
    }
    case kElementEnable:
    case kElementDisable:
      box->enabledByActivation = message == kElementEnable;
      ApplyEnabled(box);
      return kPlatformNoError;
    case kElementFillFocusOrder:
      if (box->editable && box->control != nullptr && parameter2 != 0 &&
          element_support::EnabledOnPage(box->enabled)) {
        return PlatformHandle::AppendBytes(reinterpret_cast<PlatformHandle*>(parameter2), &box->control, sizeof(HWND));
      }
      return kPlatformNoError;
    case kElementFocus:
      if (parameter1 == 0) {
        box->focused = 0;
        return kPlatformNoError;
      }
      if (!box->editable) return kElementErrNoFocus;
      box->focused = 1;
      if (box->control != nullptr && GetFocus() != box->control) SetFocus(box->control);
      return kPlatformNoError;
    case kElementGetRect:
      element_support::PutRect(parameter2, box->rect);
      return kPlatformNoError;
    case kElementSetRect:
      box->rect = *reinterpret_cast<const Rect*>(parameter1);
      if (box->control != nullptr &&
          !MoveWindow(box->control, box->rect.left, box->rect.top, static_cast<int>(box->rect.Width()),
                      static_cast<int>(box->rect.Height()) + 2, TRUE)) {
        return kInterfaceErrWindowClass;
      }
      return kPlatformNoError;
    case kElementGetTitle:
      element_support::PutTitle(parameter2, "");
      return kPlatformNoError;
    case kElementGetText: {
      if (box->control == nullptr) return kPlatformNoError;
      const int32_t length = static_cast<int32_t>(SendMessageA(box->control, WM_GETTEXTLENGTH, 0, 0));
      PlatformHandle* text = PlatformHandle::New(static_cast<uint32_t>(length) + 1);
      if (text == nullptr) return kPlatformErrNoMemory;
      GetWindowTextA(box->control, static_cast<char*>(text->data), length + 1);
      PlatformError error = element_support::AppendText(parameter2, static_cast<const char*>(text->data));
      PlatformHandle::Dispose(text);
      return error;
    }
    case kElementSetText: {
      auto* source = reinterpret_cast<PlatformHandle*>(parameter1);
      const uint32_t length = source != nullptr ? PlatformHandle::GetSize(source) : 0;
      PlatformHandle* text = PlatformHandle::New(length + 1);
      if (text == nullptr) return kPlatformErrNoMemory;
      element_support::TextOfHandle(parameter1, static_cast<char*>(text->data), length + 1);
      const bool set = box->control != nullptr && SetWindowTextA(box->control, static_cast<const char*>(text->data));
      PlatformHandle::Dispose(text);
      return set ? kPlatformNoError : kInterfaceErrWindowClass;
    }
    case kElementGetValue:
      element_support::PutValue(parameter2, 0);
      return kPlatformNoError;
    case kElementGetVisible:
      element_support::PutByte(parameter2, box->visible);
      return kPlatformNoError;
    case kElementSetVisible:
      if (parameter1 == 0 && IsFocused(box)) InterfacePage::RedrawCurrent(true);
      if ((box = element_support::CurrentData<Data>()) == nullptr) return kPlatformNoError;
      box->visible = parameter1 != 0;
      if (box->control != nullptr) ShowWindow(box->control, box->visible ? SW_SHOW : SW_HIDE);
      return kPlatformNoError;
    case kElementGetEnabled:
      element_support::PutByte(parameter2, box->enabled);
      return kPlatformNoError;
    case kElementSetEnabled:
      if (parameter1 == 0 && IsFocused(box)) InterfacePage::RedrawCurrent(true);
      if ((box = element_support::CurrentData<Data>()) == nullptr) return kPlatformNoError;
      box->enabled = parameter1 != 0;
      ApplyEnabled(box);
      return kPlatformNoError;
    case kElementGetForeColor:
      element_support::PutColour(parameter2, box->foreground);
      return kPlatformNoError;
    case kElementSetForeColor:
      box->foreground = static_cast<uint32_t>(parameter1);
      box->foregroundGiven = 1;
      return kPlatformNoError;
    case kElementGetBackColor:
      element_support::PutColour(parameter2, box->background);
      return kPlatformNoError;
    case kElementSetBackColor:
      box->background = static_cast<uint32_t>(parameter1);
      box->backgroundGiven = 1;
      return kPlatformNoError;
    default:
      return kPlatformNoError;
  }
}
