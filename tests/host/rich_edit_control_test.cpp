// The rich-edit controls and their libraries: loading and withholding the libraries, how each version keeps
// paragraph ends and answers lengths and positions, character formats, wrapping, and drawing into any device
// context (EM_FORMATRANGE, WM_PRINTCLIENT) with or without its background. Also the display's resolution and the
// scroll-thumb size that the page elements read.
#include <gtest/gtest.h>

#include "control_test_helpers.h"
#include "host/kernel.h"

namespace {

using control_test::Controls;
using test_support::DibCanvas;

constexpr DWORD kMultiLine = ES_MULTILINE | ES_AUTOVSCROLL;

class RichEdits : public Controls {
 protected:
  void SetUp() override {
    Controls::SetUp();
    rich20_ = LoadLibraryA("RICHED20.DLL");
    rich10_ = LoadLibraryA("riched32");
    ASSERT_NE(rich20_, nullptr);
    ASSERT_NE(rich10_, nullptr);
  }
  void TearDown() override {
    for (HWND window : controls_) DestroyWindow(window);
    FreeLibrary(rich20_);
    FreeLibrary(rich10_);
    Controls::TearDown();
  }
  HWND Rich(int version, const char* text, DWORD style = kMultiLine, RECT rect = {10, 10, 210, 110},
            DWORD exStyle = 0) {
    HWND window = Control(version == 2 ? "RichEdit20A" : "RICHEDIT", text, style, rect, exStyle);
    controls_.push_back(window);
    return window;
  }
  static POINT PositionOf(int version, HWND window, int index) {
    if (version == 1) {
      POINTL point{-1, -1};
      SendMessageA(window, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
      return POINT{point.x, point.y};
    }
    const LRESULT packed = SendMessageA(window, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    return POINT{static_cast<int16_t>(LOWORD(packed)), static_cast<int16_t>(HIWORD(packed))};
  }
  static LONG IndexAt(HWND window, POINT point) {
    POINTL at{point.x, point.y};
    return static_cast<LONG>(SendMessageA(window, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
  }
  static void Format(HWND window, LONG from, LONG to, DWORD mask, DWORD effects, LONG twips, COLORREF colour,
                     const char* face = "", BYTE pitch = 0) {
    SendMessageA(window, EM_SETSEL, static_cast<WPARAM>(from), to);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = mask;
    format.dwEffects = effects;
    format.yHeight = twips;
    format.crTextColor = colour;
    format.bPitchAndFamily = pitch;
    std::strncpy(format.szFaceName, face, LF_FACESIZE - 1);
    EXPECT_NE(SendMessageA(window, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)), 0);
  }
  // Renders the whole text into the canvas at its origin, the client's size in twips; the first index left out.
  static LRESULT Render(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FORMATRANGE range{};
    range.hdc = range.hdcTarget = dc;
    range.rc = RECT{0, 0, client.right * 1440 / 96, client.bottom * 1440 / 96};
    range.rcPage = range.rc;
    range.chrg = CHARRANGE{0, -1};
    const LRESULT next = SendMessageA(window, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    SendMessageA(window, EM_FORMATRANGE, FALSE, 0);
    return next;
  }

  HMODULE rich20_ = nullptr;
  HMODULE rich10_ = nullptr;
  std::vector<HWND> controls_;
};

TEST_F(RichEdits, LibrariesRegisterTheirClassesAndMayBeWithheld) {
  EXPECT_EQ(GetDeviceCaps(GetDC(parent_), LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(GetDC(parent_), LOGPIXELSY), 96);
  EXPECT_EQ(GetSystemMetrics(SM_CXHTHUMB), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CYVTHUMB), 16);
  // Each load counts; the class stays until the last one is let go.
  HMODULE again = LoadLibraryA("Riched20.dll");
  EXPECT_EQ(again, rich20_);
  EXPECT_TRUE(FreeLibrary(again));
  EXPECT_NE(Rich(2, "still here"), nullptr);
  EXPECT_EQ(LoadLibraryA("RICHED99.DLL"), nullptr);
  HostTestWithholdLibrary("RICHED20.DLL", true);
  EXPECT_EQ(LoadLibraryA("riched20.dll"), nullptr);
  EXPECT_NE(LoadLibraryA("RICHED32.DLL"), nullptr);  // the other stays
  FreeLibrary(rich10_);
  HostTestWithholdLibrary("RICHED20.DLL", false);
  HMODULE back = LoadLibraryA("RICHED20.DLL");
  EXPECT_NE(back, nullptr);
  FreeLibrary(back);
}

TEST_F(RichEdits, EachVersionKeepsParagraphEndsAndAnswersInItsOwnForm) {
  for (int version : {2, 1}) {
    HWND window = Rich(version, "");
    SendMessageA(window, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("ab\r\ncd\nef"));
    GETTEXTLENGTHEX plain{GTL_DEFAULT, 0}, crlf{GTL_USECRLF, 0};
    const LRESULT kept = version == 2 ? 8 : 10;
    EXPECT_EQ(SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&plain), 0), version == 2 ? kept : 0);
    EXPECT_EQ(SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&crlf), 0), version == 2 ? 10 : 0);
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 10) << version;
    EXPECT_EQ(TextOf(window), "ab\r\ncd\r\nef") << version;
    // "c" starts the second line: below "a", at the left.
    const int c = version == 2 ? 3 : 4;
    const POINT a = PositionOf(version, window, 0), second = PositionOf(version, window, c);
    EXPECT_EQ(second.x, a.x) << version;
    EXPECT_GT(second.y, a.y) << version;
    EXPECT_GT(PositionOf(version, window, 1).x, a.x) << version;
    EXPECT_EQ(IndexAt(window, POINT{second.x + 1, second.y + 1}), c) << version;
    EXPECT_EQ(IndexAt(window, POINT{a.x + 1, a.y + 1}), 0) << version;
  }
}

TEST_F(RichEdits, LongLinesWrapAtTheWidthUnlessTheControlScrollsSideways) {
  const char* text = "one two three four five six seven eight nine ten";
  HWND wrapped = Rich(2, text, kMultiLine, {10, 10, 90, 110});
  HWND single = Rich(2, text, ES_AUTOHSCROLL, {10, 10, 90, 110});
  const int last = 45;  // "ten"
  EXPECT_GT(PositionOf(2, wrapped, last).y, PositionOf(2, wrapped, 0).y);
  EXPECT_LT(PositionOf(2, wrapped, last).x, 80);
  EXPECT_EQ(PositionOf(2, single, last).y, PositionOf(2, single, 0).y);
  EXPECT_GT(PositionOf(2, single, last).x, 80);
  // A line breaks after a blank: "two" starts its own line or shares the first whole.
  for (LONG i = 0; i + 1 < last; ++i) {
    const POINT here = PositionOf(2, wrapped, i), next = PositionOf(2, wrapped, i + 1);
    if (next.y > here.y) {
      EXPECT_EQ(text[i], ' ') << i;
    }
  }
  // Centred lines sit in the middle.
  HWND centred = Rich(2, "x", kMultiLine | ES_CENTER, {10, 10, 90, 110});
  EXPECT_NEAR(PositionOf(2, centred, 0).x, 40, 6);
}

TEST_F(RichEdits, CharacterFormatsStyleRunsAndDrawIntoAnyDeviceContext) {
  HWND window = Rich(2, "", kMultiLine, {10, 10, 210, 110}, WS_EX_TRANSPARENT);
  SendMessageA(window, EM_SETBKGNDCOLOR, 0, RGB(0, 128, 0));
  EXPECT_EQ(SendMessageA(window, EM_SETBKGNDCOLOR, 1, 0), static_cast<LRESULT>(RGB(0, 128, 0)));
  SendMessageA(window, EM_SETBKGNDCOLOR, 0, RGB(0, 128, 0));
  SendMessageA(window, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("MMMM MMMM"));
  const int plain = PositionOf(2, window, 4).x - PositionOf(2, window, 0).x;
  // The second word: twice the size, red, bold.
  Format(window, 5, 9, CFM_SIZE | CFM_COLOR | CFM_BOLD, CFE_BOLD, 400, RGB(255, 0, 0));
  EXPECT_GT(PositionOf(2, window, 9).x - PositionOf(2, window, 5).x, plain * 3 / 2);
  // A record of the wrong size changes nothing.
  CHARFORMATA wrong{};
  wrong.cbSize = 40;
  EXPECT_EQ(SendMessageA(window, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&wrong)), 0);
  DibCanvas canvas(200, 100);
  EXPECT_EQ(Render(window, canvas.dc()), 9);
  EXPECT_GT(canvas.Count(RGB(0, 0, 0)), 20);    // the first word, in the window's text colour
  EXPECT_GT(canvas.Count(RGB(255, 0, 0)), 40);  // the second
  EXPECT_EQ(canvas.Count(RGB(0, 128, 0)), 0);   // formatting draws no background
  // Text put in after a run takes its format.
  SendMessageA(window, EM_SETSEL, 9, 9);
  SendMessageA(window, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("M"));
  EXPECT_GT(PositionOf(2, window, 10).x - PositionOf(2, window, 9).x, plain / 4 * 3 / 2);
  // Painting: the transparent control leaves its background alone, the other fills it.
  DibCanvas clear(200, 100), filled(200, 100);
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(clear.dc()), PRF_CLIENT);
  EXPECT_EQ(clear.Count(RGB(0, 128, 0)), 0);
  EXPECT_GT(clear.Count(RGB(255, 0, 0)), 40);
  HWND opaque = Rich(1, "MMMM");
  SendMessageA(opaque, EM_SETBKGNDCOLOR, 0, RGB(0, 128, 0));
  SendMessageA(opaque, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(filled.dc()), PRF_CLIENT);
  EXPECT_GT(filled.Count(RGB(0, 128, 0)), 100 * 90);
  EXPECT_GT(filled.Count(RGB(0, 0, 0)), 20);
}

TEST_F(RichEdits, FormattingStopsAtTheBottomOfItsRectangle) {
  HWND window = Rich(2, "one\rtwo\rthree\rfour");
  DibCanvas canvas(200, 100);
  FORMATRANGE range{};
  range.hdc = range.hdcTarget = canvas.dc();
  const LONG lineTwips = (PositionOf(2, window, 4).y - PositionOf(2, window, 0).y) * 15;
  range.rc = RECT{0, 0, 200 * 15, lineTwips * 2};  // room for two lines
  range.chrg = CHARRANGE{0, -1};
  EXPECT_EQ(SendMessageA(window, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&range)), 8);  // "three" left out
  EXPECT_EQ(canvas.Count(0), 0);                                                                // measured only
  EXPECT_EQ(SendMessageA(window, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 8);
  EXPECT_GT(canvas.Count(0), 10);
}

TEST_F(RichEdits, FixedPitchAndFacesMakeTheirFonts) {
  HWND window = Rich(2, "iiii");
  const int proportional = PositionOf(2, window, 4).x - PositionOf(2, window, 0).x;
  Format(window, 0, 4, CFM_FACE, 0, 0, 0, "system", FIXED_PITCH);
  const int fixed = PositionOf(2, window, 4).x - PositionOf(2, window, 0).x;
  EXPECT_GT(fixed, proportional);  // "i" is narrow only in a proportional face
  Format(window, 0, 4, CFM_FACE, 0, 0, 0, "Courier New", DEFAULT_PITCH);
  EXPECT_GT(PositionOf(2, window, 4).x - PositionOf(2, window, 0).x, proportional);
}

}  // namespace
