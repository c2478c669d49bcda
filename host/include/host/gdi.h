// The drawing calls of the host layer: device contexts, bitmaps, pixel transfers and regions.
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

inline constexpr DWORD OBJ_DC = 3;
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
