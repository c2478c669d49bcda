// Start-up and shut-down of the framework's graphics: the two shared palettes and the system entry points the DIB
// code looks up by name.
#pragma once

#include "host/types.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/color.h"

// The default palette of 8-bit maps made without a colour table: a 6x6x6 colour cube without black (0-214), ramps
// of ten reds, greens, blues and greys (215-254), and black (255).
extern const Palette StandardPalette;
// The palette of every mask pixel map: entry i = {255, i, i, i}.
extern const Palette GreyPalette;

PlatformError PlatformGraphicsStartup();
PlatformError PlatformGraphicsShutdown();  // always 0

// True when "CreateDIBSection" was found at start-up: DIB records are then made as DIB sections, and locking
// flushes GDI first.
bool GraphicsHasDibSections();
// Present only for tests of the fall-back paths: 1 or 0 overrides what start-up found, -1 ends the override.
void OverrideDibSectionsForTesting(int present);

// True when two palettes hold the same used entries (the count and each entry's four bytes).
bool PalettesEqual(const Palette* a, const Palette* b);
