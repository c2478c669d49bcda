// The GDI copy path: draws a source DIB (optionally through a mask DIB) into a device context that has no pixel
// map of its own, turning the transfer mode into GDI transfers. GDI cannot blend, so a mask blend reads the
// destination back, blends it in memory by copy bits and writes it as a plain copy; a colour key is drawn through
// a monochrome mask.
#pragma once

#include "host/types.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/rect.h"
#include "platform/graphics/transfer_mode.h"

struct DibRecord;

// Both rects are given (callers clamp them for GDI); the source and mask pixel maps are locked by the caller.
// Kinds 2, 3 and 4 at levels other than 0 and 255 cannot be drawn by GDI and give -7003; a mask blend without a
// mask gives -7002; failing GDI transfers give -7300 and objects that cannot be made -7004.
PlatformError PlatformCopyBitsGdi(HDC dc, const Rect* destinationRect, DibRecord* source, DibRecord* mask,
                                  const TransferMode* mode, const Rect* sourceRect);

// The colour a colour key names on this path: for an 8-bit source the palette colour at the key's index, else
// the four value bytes read as a colour record {flag, red, green, blue}. (Copy bits in memory compares the value
// bytes with the stored pixel word instead; a caller keying a deeper source on both paths gives each its form.)
COLORREF ColorKeyColorRef(const DibRecord* source, const TransferMode* mode);
