// The text of text boxes: pieces of content made ready for the control (tabs, line breaks and the collapsing of
// blanks), the character format and font of a run, control identifiers, and the length and positions the control
// answers in the form of its version.
#include <cstring>

#include "host/gdi.h"
#include "host/user.h"
#include "platform/core/strings.h"
#include "platform/graphics/graphics_port.h"
#include "platform/markup/interface_state.h"
#include "platform/markup/page_elements.h"

namespace {

constexpr int32_t kFirstControlId = 9901;
constexpr int32_t kDefaultSize = 12;
constexpr const char* kRichEditFace = "system";

bool EndsInBlank(const PlatformHandle* handle) {
  const uint32_t size = PlatformHandle::GetSize(const_cast<PlatformHandle*>(handle));
  return size > 0 && static_cast<const char*>(handle->data)[size - 1] == ' ';
}

}  // namespace

PlatformError AppendRichEditText(PlatformHandle* handle, const char* text, bool collapse, bool previousEndedInSpace) {
  if (handle == nullptr) return kPlatformErrBadData;
  PlatformError error = kPlatformNoError;
  for (const char* p = text; p != nullptr && *p != '\0' && error == kPlatformNoError; ++p) {
    const char c = *p;
    const bool lineBreak = c == '\r' || c == '\n';
    if (c == '\r' && p[1] == '\n') ++p;  // CR LF is one break
    if (collapse && (lineBreak || c == '\t' || c == ' ')) {
      const bool empty = PlatformHandle::GetSize(handle) == 0;
      if (empty ? !previousEndedInSpace : !EndsInBlank(handle)) error = PlatformHandle::AppendBytes(handle, " ", 1);
    } else if (c == '\t') {
      error = PlatformHandle::AppendBytes(handle, "    ", 4);
    } else if (lineBreak) {
      error = PlatformHandle::AppendBytes(handle, "\r\n", 2);
    } else {
      error = PlatformHandle::AppendBytes(handle, &c, 1);
    }
  }
  return error;
}

PlatformError MakeRichEditCharFormat(HWND, HDC dc, const TextBoxElement::Data* box, RichEditFormats* formats,
                                     const char* faceList, int32_t size, uint32_t style, uint32_t colour) {
  CHARFORMATA& charFormat = formats->charFormat;
  LOGFONTA& logFont = formats->logFont;
  charFormat = CHARFORMATA{};
  logFont = LOGFONTA{};
  charFormat.cbSize = sizeof(CHARFORMATA);
  charFormat.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
  charFormat.dwEffects = style & (kMarkupBold | kMarkupItalic | kMarkupUnderline);
  const int dpi = dc != nullptr && GetDeviceCaps(dc, LOGPIXELSY) > 0 ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  charFormat.yHeight = static_cast<LONG>(int64_t{size != 0 ? size : kDefaultSize} * 1440 / dpi);
  charFormat.crTextColor =
      interface_internal::ColorRefOf((style & kMarkupColoured) ? colour : (box != nullptr ? box->foreground : 0xFF));
  PlatformCopyStringBounded(charFormat.szFaceName, kRichEditFace, LF_FACESIZE);
  logFont.lfHeight = -size;
  logFont.lfWeight = (style & kMarkupBold) ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = (style & kMarkupItalic) ? 1 : 0;
  logFont.lfUnderline = (style & kMarkupUnderline) ? 1 : 0;
  char family[256];
  if (faceList != nullptr && dc != nullptr && ChooseInstalledFontFamily(dc, faceList, family) != nullptr) {
    PlatformCopyStringBounded(charFormat.szFaceName, family, LF_FACESIZE);
    PlatformCopyStringBounded(logFont.lfFaceName, family, LF_FACESIZE);
  }
  if (style & (kMarkupFixed | kMarkupPreformatted)) {
    charFormat.bPitchAndFamily = FIXED_PITCH;
    logFont.lfPitchAndFamily = FIXED_PITCH;
  }
  if (style & kMarkupLink) {
    charFormat.crTextColor = interface_internal::ColorRefOf(box != nullptr ? box->linkColour : 0xEE0000FF);
    charFormat.dwEffects |= CFE_UNDERLINE;
    logFont.lfUnderline = 1;
  }
  return kPlatformNoError;
}

int32_t FindFreeControlId(HWND window) {
  struct Search {
    int32_t id;
    bool taken;
  };
  Search search{kFirstControlId, true};
  while (search.taken) {
    search.taken = false;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) {
          auto* s = reinterpret_cast<Search*>(data);
          if (GetDlgCtrlID(child) == s->id) s->taken = true;
          return s->taken ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.taken) ++search.id;
  }
  return search.id;
}

int32_t GetRichEditTextLength(HWND control, bool rich20) {
  if (rich20) {
    GETTEXTLENGTHEX how{GTL_DEFAULT, 0};
    return static_cast<int32_t>(SendMessageA(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
  }
  return static_cast<int32_t>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
}

POINT GetRichEditCharPosition(HWND control, int32_t index, bool rich20) {
  if (rich20) {
    const LRESULT packed = SendMessageA(control, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    return POINT{static_cast<int16_t>(LOWORD(packed)), static_cast<int16_t>(HIWORD(packed))};
  }
  POINTL point{0, 0};
  SendMessageA(control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
  return POINT{point.x, point.y};
}
