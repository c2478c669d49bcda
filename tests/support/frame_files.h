// The frame a window last showed, written as a BMP file for a look by hand.
#pragma once

#include <string>

#include "host/user.h"

// Writes the window's client area as last shown to path (folders made as needed); false when there is no frame
// or the file cannot be written.
bool WriteShownFrame(HWND window, const std::string& path);
