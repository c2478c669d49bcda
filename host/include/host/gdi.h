// The drawing calls of the host layer: device contexts, bitmaps, pixel transfers, regions, pens, brushes, fonts,
// lines, paths, rectangles and text.
//
// A software implementation over memory: memory device contexts draw into the bitmap selected into them, window
// device contexts (made by the window half of the host layer) draw into a window's frame buffer. Every object is
// named by a handle of our own; a stale or foreign handle makes a call fail with its documented failure value.
// Only the calls, structures and constants the framework uses are declared here.
#pragma once

#include "host/types.h"

// ---- Bitmap descriptions ------------------------------------------------------------------------------------------

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // positive: rows bottom-up; negative: rows top-down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header is 40 bytes in every stored and passed form");

// A header followed by its colour table (or, for BI_BITFIELDS, three channel masks). Callers that need room for
// more entries declare their own structure with the same start.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
using LPBITMAPINFO = BITMAPINFO*;

// What GetObjectA reports of a bitmap.
struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_BITFIELDS = 3;
inline constexpr UINT DIB_RGB_COLORS = 0;

// ---- Object types -------------------------------------------------------------------------------------------------

inline constexpr DWORD OBJ_PEN = 1;
inline constexpr DWORD OBJ_BRUSH = 2;
inline constexpr DWORD OBJ_DC = 3;
inline constexpr DWORD OBJ_FONT = 6;
inline constexpr DWORD OBJ_BITMAP = 7;
inline constexpr DWORD OBJ_REGION = 8;
inline constexpr DWORD OBJ_MEMDC = 10;

// ---- Raster operations --------------------------------------------------------------------------------------------
// Any operation on source and destination alone is honoured (the third byte is its truth table); operations that
// need a brush fail.

inline constexpr DWORD SRCCOPY = 0x00CC0020u;
inline constexpr DWORD SRCPAINT = 0x00EE0086u;
inline constexpr DWORD SRCAND = 0x008800C6u;
inline constexpr DWORD SRCINVERT = 0x00660046u;

// ---- Device capabilities and modes --------------------------------------------------------------------------------

inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int LOGPIXELSX = 88;  // 96: the display's pixels per inch
inline constexpr int LOGPIXELSY = 90;

inline constexpr int MM_TEXT = 1;
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// ---- Regions ------------------------------------------------------------------------------------------------------

inline constexpr int ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

inline constexpr DWORD RDH_RECTANGLES = 1;

struct RGNDATAHEADER {
  DWORD dwSize;  // sizeof(RGNDATAHEADER)
  DWORD iType;   // RDH_RECTANGLES
  DWORD nCount;  // number of rectangles in Buffer
  DWORD nRgnSize;
  RECT rcBound;
};
static_assert(sizeof(RGNDATAHEADER) == 32, "region data starts 32 bytes in");

struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];  // nCount RECTs, y-x banded
};
using LPRGNDATA = RGNDATA*;

// A world transform for ExtCreateRegion; only its absence is supported.
struct XFORM {
  float eM11;
  float eM12;
  float eM21;
  float eM22;
  float eDx;
  float eDy;
};

// ---- Device contexts and objects ----------------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
DWORD GetObjectType(HGDIOBJ object);
int GetObjectA(HGDIOBJ object, int size, LPVOID out);
int GetDeviceCaps(HDC hdc, int index);
int SetMapMode(HDC hdc, int mode);
int GetMapMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
BOOL GdiFlush();
// Print jobs: no device context of this layer is a printer, so ending or aborting a document fails (SP_ERROR).
inline constexpr int SP_ERROR = -1;
int EndDoc(HDC hdc);
int AbortDoc(HDC hdc);

// ---- Bitmaps ------------------------------------------------------------------------------------------------------

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors);
UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors);

// ---- Transfers ----------------------------------------------------------------------------------------------------
// Row rules. Scan lines of a caller's DIB count in its memory order (from the bottom row for a positive height,
// from the top row for a negative one); a band starting at `startScan` begins at the buffer's first row.
// SetDIBitsToDevice measures its source rectangle from the lower-left corner of the whole image for both row
// orders. StretchDIBits measures it from the lower-left corner of bottom-up DIBs and the upper-left corner of
// top-down DIBs. Stretching samples the nearest pixel (shrinking drops pixels); a negative extent mirrors.
// Monochrome device bitmaps convert by the DCs' colours: a colour source gives 1 where it has the source DC's
// background colour; a monochrome source gives the destination's text colour for 0 and background colour for 1.

int GetDIBits(HDC hdc, HBITMAP bitmap, UINT startScan, UINT scanLines, LPVOID bits, LPBITMAPINFO info, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bitmap, UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
              UINT usage);
int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage);
int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dest, int xDest, int yDest, int destWidth, int destHeight, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop);

// ---- Regions ------------------------------------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, LPRECT box);
DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data);
HRGN ExtCreateRegion(const XFORM* transform, DWORD size, const RGNDATA* data);

// ---- Drawing state ------------------------------------------------------------------------------------------------

// Stock objects (GetStockObject).
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int OEM_FIXED_FONT = 10;
inline constexpr int ANSI_FIXED_FONT = 11;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEVICE_DEFAULT_FONT = 14;
inline constexpr int SYSTEM_FIXED_FONT = 16;

// Pens: a cosmetic solid pen of width 0 or 1 draws one-pixel lines without their last point; wider pens and
// geometric pens cover every pixel within half the width of the line, with round ends (an even width's line runs
// half a pixel up and left of its coordinates, so it covers exactly its width).
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;
inline constexpr DWORD PS_GEOMETRIC = 0x00010000u;

// Brushes.
inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_PATTERN = 3;

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;  // BS_PATTERN: the HBITMAP of the pattern
};

// Background modes and mixing.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int R2_COPYPEN = 13;

// Text alignment: horizontal, vertical and current-position bits.
inline constexpr UINT TA_NOUPDATECP = 0;
inline constexpr UINT TA_UPDATECP = 1;
inline constexpr UINT TA_LEFT = 0;
inline constexpr UINT TA_RIGHT = 2;
inline constexpr UINT TA_CENTER = 6;
inline constexpr UINT TA_TOP = 0;
inline constexpr UINT TA_BOTTOM = 8;
inline constexpr UINT TA_BASELINE = 24;
inline constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

int SaveDC(HDC hdc);
// A positive level restores that saved state and drops every later one; a negative level counts back from the
// latest (-1 is the latest).
BOOL RestoreDC(HDC hdc, int savedDc);
HGDIOBJ GetStockObject(int index);
// The pen, brush, font or bitmap (OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP) the DC draws with.
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
HBRUSH CreateSolidBrush(COLORREF color);
// A monochrome pattern paints its 0 bits in the text colour and its 1 bits in the background colour of the device
// context drawn into; a colour pattern paints its own colours. The pattern repeats from the device origin.
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HPEN CreatePen(int style, int width, COLORREF color);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetROP2(HDC hdc, int mode);  // only R2_COPYPEN is drawn
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);

// ---- Coordinates and clipping -------------------------------------------------------------------------------------
// Logical coordinates are device pixels less the viewport origin. The clip region is kept in device pixels.

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin);
BOOL DPtoLP(HDC hdc, LPPOINT points, int count);
BOOL LPtoDP(HDC hdc, LPPOINT points, int count);
// Sets the clip region to a copy of the region (null: no clip); returns the new clip's type or ERROR.
int SelectClipRgn(HDC hdc, HRGN region);
// 1 and a copy of the clip in the region when there is a clip, 0 when there is none, -1 on error.
int GetClipRgn(HDC hdc, HRGN region);

// ---- Lines, paths and rectangles ----------------------------------------------------------------------------------

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL LineTo(HDC hdc, int x, int y);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
// Between BeginPath and EndPath, MoveToEx and LineTo record figures instead of drawing. WidenPath turns the path
// into the area the current pen would cover; FillPath fills the path (a plain path by the alternate rule) with the
// current brush and discards it.
BOOL BeginPath(HDC hdc);
BOOL EndPath(HDC hdc);
BOOL WidenPath(HDC hdc);
BOOL FillPath(HDC hdc);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);

// ---- Fonts and text -----------------------------------------------------------------------------------------------
// Text bytes are Windows-1252. Face names are resolved among the installed fonts with the system's font aliases;
// glyphs are drawn without anti-aliasing, so text looks the same on every pixel depth.

inline constexpr int LF_FACESIZE = 32;
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;
inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_PITCH = 0;
inline constexpr BYTE FIXED_PITCH = 1;  // without a face name: the fixed-pitch family
inline constexpr BYTE VARIABLE_PITCH = 2;

struct LOGFONTA {
  LONG lfHeight;  // positive: cell height; negative: character (em) height; 0: a default size
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct ABC {
  int abcA;   // space before the glyph's ink
  UINT abcB;  // width of the ink
  int abcC;   // space after it
};

inline constexpr DWORD TRUETYPE_FONTTYPE = 4;
using FONTENUMPROCA = int (*)(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType, LPARAM data);

// Fonts are drawn upright at their own proportions: a width, escapement or orientation other than 0 is refused, as
// is a height beyond 4096 pixels.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
HFONT CreateFontIndirectA(const LOGFONTA* font);
// Calls the procedure once for an installed family whose name is the given one (or once per installed family
// when the name is null) and returns its last result; 1 when nothing was enumerated. A name counts as installed
// when a font of exactly that family is installed, or when the system's aliases make an installed family stand
// in for it with the same metrics; never for a mere substitute.
int EnumFontFamiliesA(HDC hdc, LPCSTR family, FONTENUMPROCA procedure, LPARAM data);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics);
BOOL GetCharABCWidthsA(HDC hdc, UINT first, UINT last, ABC* widths);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);
