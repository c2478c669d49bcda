// The rich-edit controls of the run-time libraries: "RichEdit20A" (version 2.0) and "RICHEDIT" (version 1.0).
// Text is kept with a character format for every character (face, size in twips, bold, italic, underline, colour,
// pitch), laid out in lines wrapped at the client width (multi-line controls without ES_AUTOHSCROLL) and aligned
// by ES_CENTER and ES_RIGHT, and drawn on WM_PAINT, WM_PRINTCLIENT and EM_FORMATRANGE into any device context.
// The two versions differ where the system's do: how a paragraph end is kept, the form of EM_POSFROMCHAR, and
// EM_GETTEXTLENGTHEX (2.0 only). Keys go on to the parent: these controls show text, they take no typing.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "control_classes.h"
#include "text_layout.h"

namespace host {
namespace {

using namespace controls;

constexpr int32_t kMarginX = 1;      // between the window's edge and the text, left and right
constexpr LONG kDefaultTwips = 200;  // 10 points
constexpr int32_t kMaxFormats = 4096;

struct RunFormat {
  std::string face;  // "" for the default family of the pitch
  LONG twips = kDefaultTwips;
  DWORD effects = CFE_AUTOCOLOR;
  COLORREF colour = 0;
  BYTE pitch = DEFAULT_PITCH;

  bool operator==(const RunFormat& other) const {
    return face == other.face && twips == other.twips && effects == other.effects && colour == other.colour &&
           pitch == other.pitch;
  }
};

struct RichState {
  int version = 2;
  std::string text;                // paragraph ends as "\r" (2.0) or "\r\n" (1.0)
  std::vector<uint16_t> formatOf;  // an index into formats for every character
  std::vector<RunFormat> formats{RunFormat{}};
  uint16_t defaultFormat = 0;
  int32_t anchor = 0;
  int32_t caret = 0;
  COLORREF background = kWindow;
  bool readOnly = false;
  // What the fonts and lines were made for; they are made again when either changes.
  std::vector<HFONT> fonts;
  std::vector<LayoutStyle> styles;
  TextLayout layout;
  uint64_t revision = 1;
  uint64_t laidRevision = 0;
  int32_t laidWidth = -1;
};

StateTable<RichState>& States() {
  static StateTable<RichState>* table = new StateTable<RichState>;
  return *table;
}

void FreeFonts(RichState* state) {
  for (HFONT font : state->fonts) DeleteObject(font);
  state->fonts.clear();
  state->styles.clear();
}

int32_t Length(const RichState& state) { return static_cast<int32_t>(state.text.size()); }

uint16_t Intern(RichState* state, const RunFormat& format) {
  for (size_t i = 0; i < state->formats.size(); ++i) {
    if (state->formats[i] == format) return static_cast<uint16_t>(i);
  }
  if (state->formats.size() >= kMaxFormats) return state->defaultFormat;
  state->formats.push_back(format);
  return static_cast<uint16_t>(state->formats.size() - 1);
}

bool IsSystemFace(const std::string& face) {
  if (face.size() != 6) return face.empty();
  std::string lower;
  for (char c : face) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "system";
}

HFONT MakeFont(const RunFormat& format) {
  LOGFONTA font{};
  font.lfHeight = -static_cast<LONG>((int64_t{format.twips} * 96 + 720) / 1440);
  font.lfWeight = (format.effects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (format.effects & CFE_ITALIC) ? 1 : 0;
  font.lfUnderline = (format.effects & CFE_UNDERLINE) ? 1 : 0;
  font.lfPitchAndFamily = format.pitch;
  if (!IsSystemFace(format.face)) std::strncpy(font.lfFaceName, format.face.c_str(), LF_FACESIZE - 1);
  HFONT made = CreateFontIndirectA(&font);
  if (made == nullptr) {
    // Beyond what fonts can be: the default size.
    font.lfHeight = -static_cast<LONG>(kDefaultTwips * 96 / 1440);
    made = CreateFontIndirectA(&font);
  }
  return made;
}

COLORREF ColourOf(const RunFormat& format) { return (format.effects & CFE_AUTOCOLOR) ? kWindowText : format.colour; }

// Lays the text out for a width (the client's, or a formatting rectangle's).
void Lay(HWND window, RichState* state, int32_t width) {
  if (state->fonts.size() != state->formats.size()) {
    FreeFonts(state);
    for (const RunFormat& format : state->formats) {
      state->fonts.push_back(MakeFont(format));
      state->styles.push_back(MeasureStyle(state->fonts.back()));
    }
    state->laidRevision = 0;
  }
  if (state->laidRevision == state->revision && state->laidWidth == width) return;
  const DWORD style = StyleOf(window);
  const bool wraps = (style & ES_MULTILINE) && !(style & ES_AUTOHSCROLL);
  const int alignment = (style & ES_RIGHT) ? 2 : (style & ES_CENTER) ? 1 : 0;
  const int32_t inner = std::max(1, width - 2 * kMarginX);
  state->layout.Lay(state->text, &state->formatOf, state->styles, state->defaultFormat, wraps ? inner : 0, inner,
                    alignment);
  state->laidRevision = state->revision;
  state->laidWidth = width;
}

int32_t ClientWidth(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return client.right - client.left;
}

// Draws the lines of [from, to) with the first line drawn at top, while they fit above bottom (no limit when
// bottom is below top). Returns the first character not drawn.
int32_t DrawLines(HDC dc, RichState* state, int32_t left, int32_t top, int32_t bottom, int32_t from, int32_t to,
                  bool draw) {
  const auto& lines = state->layout.Lines();
  size_t first = state->layout.LineOf(from);
  const int32_t shift = top - lines[first].top;
  if (draw) {
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
  }
  for (size_t n = first; n < lines.size(); ++n) {
    const LayoutLine& line = lines[n];
    if (line.start >= to) return to;
    if (bottom > top && line.top + shift + line.height > bottom) return std::max(from, line.start);
    if (!draw) continue;
    int32_t x = left + kMarginX + line.left;
    for (int32_t i = line.start; i < line.end;) {
      const uint16_t format = state->formatOf[static_cast<size_t>(i)];
      int32_t j = i;
      int32_t width = 0;
      while (j < line.end && state->formatOf[static_cast<size_t>(j)] == format) width += state->layout.Advance(j++);
      const int32_t shownFrom = std::max(i, from), shownTo = std::min(j, to);
      if (shownFrom < shownTo) {
        int32_t shownX = x;
        for (int32_t k = i; k < shownFrom; ++k) shownX += state->layout.Advance(k);
        SelectObject(dc, state->fonts[format]);
        SetTextColor(dc, ColourOf(state->formats[format]));
        TextOutA(dc, shownX, line.top + shift + line.ascent, state->text.data() + shownFrom, shownTo - shownFrom);
      }
      x += width;
      i = j;
    }
  }
  return to;
}

void Paint(HWND window, HDC dc, const RECT& client) {
  RichState* state = States().Find(window);
  if (state == nullptr) return;
  if (!(ExStyleOf(window) & WS_EX_TRANSPARENT)) FillSolid(dc, client, state->background);
  Lay(window, state, client.right - client.left);
  DrawLines(dc, state, client.left, client.top, client.top - 1, 0, Length(*state), true);
}

// Text as the control keeps it: each paragraph end as its version keeps it.
std::string Normalise(const RichState& state, const char* text) {
  std::string out;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    if (*p == '\r' || *p == '\n') {
      if (*p == '\r' && p[1] == '\n') ++p;
      out += state.version == 2 ? "\r" : "\r\n";
      continue;
    }
    out += *p;
  }
  return out;
}

// The text as WM_GETTEXT gives it: each paragraph end as "\r\n".
std::string Expanded(const RichState& state) {
  if (state.version == 1) return state.text;
  std::string out;
  for (char c : state.text) {
    out += c;
    if (c == '\r') out += '\n';
  }
  return out;
}

void Replace(RichState* state, const std::string& text, uint16_t format) {
  const int32_t from = std::min(state->anchor, state->caret), to = std::max(state->anchor, state->caret);
  state->text.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), text);
  state->formatOf.erase(state->formatOf.begin() + from, state->formatOf.begin() + to);
  state->formatOf.insert(state->formatOf.begin() + from, text.size(), format);
  state->anchor = state->caret = from + static_cast<int32_t>(text.size());
  ++state->revision;
}

RunFormat Applied(RunFormat format, const CHARFORMATA& change) {
  const DWORD styleBits = change.dwMask & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE);
  format.effects = (format.effects & ~styleBits) | (change.dwEffects & styleBits);
  if (change.dwMask & CFM_COLOR) {
    format.effects = (format.effects & ~CFE_AUTOCOLOR) | (change.dwEffects & CFE_AUTOCOLOR);
    format.colour = change.crTextColor;
  }
  if ((change.dwMask & CFM_SIZE) && change.yHeight > 0) format.twips = change.yHeight;
  if (change.dwMask & CFM_FACE) {
    format.face = std::string(change.szFaceName, strnlen(change.szFaceName, LF_FACESIZE));
    format.pitch = change.bPitchAndFamily;
  }
  return format;
}

bool SetCharFormat(RichState* state, WPARAM scope, const CHARFORMATA* change) {
  if (change == nullptr || change->cbSize != sizeof(CHARFORMATA)) return false;
  if (scope & (SCF_SELECTION | SCF_ALL)) {
    const bool all = (scope & SCF_ALL) != 0;
    const int32_t from = all ? 0 : std::min(state->anchor, state->caret);
    const int32_t to = all ? Length(*state) : std::max(state->anchor, state->caret);
    for (int32_t i = from; i < to; ++i) {
      uint16_t& format = state->formatOf[static_cast<size_t>(i)];
      format = Intern(state, Applied(state->formats[format], *change));
    }
    if (!all) {
      ++state->revision;
      return true;
    }
  }
  state->defaultFormat = Intern(state, Applied(state->formats[state->defaultFormat], *change));
  ++state->revision;
  return true;
}

int32_t Clamp(const RichState& state, int32_t index) { return std::clamp(index, 0, Length(state)); }

LRESULT RichEditProc(int version, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    RichState* made = States().Make(window);
    made->version = version;
    made->readOnly = (reinterpret_cast<const CREATESTRUCTA*>(lParam)->style & ES_READONLY) != 0;
    made->text = Normalise(*made, reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpszName);
    made->formatOf.assign(made->text.size(), 0);
    return TRUE;
  }
  RichState* state = States().Find(window);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (HandlePaint(window, message, wParam, lParam,
                  [window](HDC dc, const RECT& client) { Paint(window, dc, client); })) {
    return 0;
  }
  const auto redraw = [window] { InvalidateRect(window, nullptr, TRUE); };
  switch (message) {
    case WM_NCDESTROY:
      FreeFonts(state);
      States().Drop(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      NotifyParent(window, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      NotifyParent(window, EN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      return 0;
    case WM_SETTEXT:
      state->text = Normalise(*state, reinterpret_cast<const char*>(lParam));
      state->formatOf.assign(state->text.size(), state->defaultFormat);
      state->anchor = state->caret = 0;
      ++state->revision;
      redraw();
      return TRUE;
    case WM_GETTEXT:
      return AnswerText(Expanded(*state), wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(Expanded(*state).size());
    case EM_GETTEXTLENGTHEX: {
      if (state->version != 2) break;
      const auto* how = reinterpret_cast<const GETTEXTLENGTHEX*>(wParam);
      const bool crlf = how != nullptr && (how->flags & GTL_USECRLF);
      return static_cast<LRESULT>(crlf ? Expanded(*state).size() : state->text.size());
    }
    case EM_SETSEL: {
      const int32_t start = static_cast<int32_t>(static_cast<intptr_t>(wParam));
      const int32_t end = static_cast<int32_t>(lParam);
      if (start == -1) {
        state->anchor = state->caret;
      } else {
        state->anchor = start < 0 ? Length(*state) : Clamp(*state, start);
        state->caret = end < 0 ? Length(*state) : Clamp(*state, end);
      }
      return 0;
    }
    case EM_GETSEL:
      return AnswerSelection(state->anchor, state->caret, wParam, lParam);
    case EM_REPLACESEL: {
      // Text put in takes the format of the character before it.
      const int32_t at = std::min(state->anchor, state->caret);
      const uint16_t format = at > 0 ? state->formatOf[static_cast<size_t>(at - 1)] : state->defaultFormat;
      Replace(state, Normalise(*state, reinterpret_cast<const char*>(lParam)), format);
      redraw();
      return 0;
    }
    case EM_SETCHARFORMAT:
      if (!SetCharFormat(state, wParam, reinterpret_cast<const CHARFORMATA*>(lParam))) return 0;
      redraw();
      return TRUE;
    case EM_SETBKGNDCOLOR: {
      const COLORREF previous = state->background;
      state->background = wParam != 0 ? kWindow : static_cast<COLORREF>(lParam);
      redraw();
      return static_cast<LRESULT>(previous);
    }
    case EM_SETREADONLY:
      state->readOnly = wParam != 0;
      if (Window* record = FindWindow(window)) {
        record->style = state->readOnly ? (record->style | ES_READONLY) : (record->style & ~ES_READONLY);
      }
      return TRUE;
    case EM_FORMATRANGE: {
      const auto* range = reinterpret_cast<const FORMATRANGE*>(lParam);
      if (range == nullptr || range->hdc == nullptr) return 0;
      const int dpiX = std::max(1, GetDeviceCaps(range->hdc, LOGPIXELSX));
      const int dpiY = std::max(1, GetDeviceCaps(range->hdc, LOGPIXELSY));
      const auto pixels = [](LONG twips, int dpi) { return static_cast<int32_t>(int64_t{twips} * dpi / 1440); };
      const int32_t left = pixels(range->rc.left, dpiX), right = pixels(range->rc.right, dpiX);
      const int32_t top = pixels(range->rc.top, dpiY), bottom = pixels(range->rc.bottom, dpiY);
      if (right <= left || bottom <= top) return Clamp(*state, range->chrg.cpMin);
      Lay(window, state, right - left);
      const int32_t from = Clamp(*state, range->chrg.cpMin);
      const int32_t to = range->chrg.cpMax < 0 ? Length(*state) : Clamp(*state, range->chrg.cpMax);
      const int saved = SaveDC(range->hdc);
      const int32_t next = DrawLines(range->hdc, state, left, top, bottom, from, to, wParam != 0);
      RestoreDC(range->hdc, saved);
      return next;
    }
    case EM_CHARFROMPOS: {
      const auto* point = reinterpret_cast<const POINTL*>(lParam);
      if (point == nullptr) return 0;
      Lay(window, state, ClientWidth(window));
      return state->layout.IndexAt(point->x - kMarginX, point->y);
    }
    case EM_POSFROMCHAR: {
      Lay(window, state, ClientWidth(window));
      const int32_t index = static_cast<int32_t>(version == 2 ? static_cast<intptr_t>(wParam) : lParam);
      const bool known = index >= 0 && index <= Length(*state);
      const int32_t x = known ? state->layout.XOf(index) + kMarginX : 0;
      const int32_t y = known ? state->layout.CellTopOf(index) : 0;
      if (version == 1) {
        if (auto* point = reinterpret_cast<POINTL*>(wParam); point != nullptr) *point = POINTL{x, y};
        return 0;
      }
      return known ? static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y))) : -1;
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

LRESULT RichEdit20Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RichEditProc(2, window, message, wParam, lParam);
}

LRESULT RichEdit10Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RichEditProc(1, window, message, wParam, lParam);
}

}  // namespace host
