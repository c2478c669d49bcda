// Bitmap: the game's offscreen image, over one block of pixel memory, with 2, 3 or 4 bytes per pixel.
//
// Every picture the game loads, every layer of the game view, every glyph of a bitmap font and the back buffer
// is a Bitmap. Its pixel format code carries the bytes per pixel and the colour-key and per-pixel-alpha flags;
// the blitter chooses its routines by these codes. Pixel layouts: 3 bytes are B, G, R; 4 bytes are B, G, R, A
// (the little-endian value 0xAARRGGBB); 2 bytes are a little-endian 5-6-5 value (red high, blue low).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/bounds.h"
#include "game/graphics/pixel_block.h"
#include "platform/core/memory.h"

// Pixel format code bits.
constexpr int32_t kFormatBytesMask = 7;     // bytes per pixel: 2, 3 or 4 (1 marks an 8-bit indexed source)
constexpr int32_t kFormatSpareFlag = 8;     // selects the same routines as without it; cleared on views
constexpr int32_t kFormatAlphaFlag = 16;    // per-pixel alpha (4-byte pixels)
constexpr int32_t kFormatKeyFlag = 32;      // colour key: transparent pixels are skipped when drawn
constexpr int32_t kFormatStockFlag = 64;    // set in the three stock codes; ignored by routine choice

// The three stock codes every creator of a Bitmap uses.
extern int32_t OpaqueFormat;  // 67: opaque 3-byte pixels
extern int32_t KeyedFormat;   // 99: 3-byte pixels, pure white FF FF FF is transparent
extern int32_t AlphaFormat;   // 84: 4-byte pixels with alpha

// Result of the creating and loading operations: 0 ready, 1 no valid size, 2 size valid but no pixel memory.
// Loading operations also give -1 when there was nothing to import.
using BitmapStatus = int32_t;
constexpr BitmapStatus kBitmapReady = 0;
constexpr BitmapStatus kBitmapBadSize = 1;
constexpr BitmapStatus kBitmapNoMemory = 2;
constexpr BitmapStatus kBitmapNothingToImport = -1;

// Option word of picture import: kDetectTransparency makes an import look for keyed and alpha pixels. Code that
// loads a picture that must stay opaque clears it around the load.
constexpr int32_t kDetectTransparency = 2;
extern int32_t ImageImportOptions;

// One palette entry of an indexed image: its flag byte (0 on the entry of the transparent colour) and the colour.
struct PaletteEntry {
  uint8_t flag = 255;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// The decoded pixels of one image, as the image import hands them over: 8 bits (indexes into the palette),
// 16 bits (5-6-5), 24 bits (B, G, R) or 32 bits (B, G, R, A), and an optional 8-bit alpha mask (one byte per
// pixel).
struct ImagePixels {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
  const uint8_t* pixels = nullptr;
  int64_t rowBytes = 0;
  // 32-bit pixels: whether the fourth byte is alpha. Without it the byte is padding and every pixel is opaque.
  bool alphaInPixels = true;
  const PaletteEntry* palette = nullptr;  // 256 entries for 8-bit images
  int32_t transparentIndex = -1;          // the palette index that is transparent, or -1
  const uint8_t* alphaMask = nullptr;
  int64_t alphaMaskRowBytes = 0;
};

class KeyRuns;

class Bitmap {
 public:
  // State flags.
  static constexpr int32_t kSizeValid = 1;
  static constexpr int32_t kAllocated = 2;
  static constexpr int32_t kLocked = 4;

  Bitmap();
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // Gives the bitmap zero-filled pixels of the given size and format, locked.
  BitmapStatus Create(int32_t width, int32_t height, int32_t format);
  void Lock();
  void Unlock();
  uint8_t* GetPixels() const { return pixels; }
  // Sets every pixel byte to 0 while locked; does nothing otherwise.
  void Clear();
  void Free();
  BitmapStatus Status() const;

  // A copy (copy true) or a view sharing the pixels (copy false) of a rectangle of the source. The rectangle is
  // clipped to the source first. A view must not outlive its source; freeing it frees nothing.
  BitmapStatus FromRect(const Bitmap& source, const Bounds& rect, bool copy);
  BitmapStatus CopyFrom(const Bitmap& source);

  // Takes decoded image pixels: detects transparency (when ImageImportOptions asks for it), chooses the format
  // (84 when some alpha is partial, 99 when some pixel is transparent, else 67), and converts the pixels.
  // Indexed pixels are expanded through their palette, the transparent index becoming the key colour.
  BitmapStatus ImportPixels(const ImagePixels& image);

  // Picture import (bitmap_import.cpp). ImportImage decodes the picture bytes of a handle (BMP, GIF, JPEG, PNG or
  // picture files) into this bitmap; a picture that cannot be decoded leaves the bitmap as it was and gives its
  // status. LoadByName reads a picture file, trying the names of PictureNameCandidates; -1 when none is read.
  // ImportFromScratch imports the scratch buffer; -1 when it is empty.
  BitmapStatus ImportImage(PlatformHandle* handle);
  BitmapStatus LoadByName(const char* name);
  BitmapStatus ImportFromScratch();
  // New bitmaps from a file, from the scratch buffer, or from bytes passed through the scratch buffer; null when
  // nothing could be imported.
  static std::unique_ptr<Bitmap> CreateFromFile(const char* name);
  static std::unique_ptr<Bitmap> CreateFromImportBuffer();
  static std::unique_ptr<Bitmap> CreateFromMemory(const void* bytes, uint32_t count);

  // Asks the bitmap to keep a run table of the spans a keyed draw copies (key_runs.h), made when it is next drawn
  // keyed: for bitmaps whose pixels stay as they are, such as the pictures of the picture cache.
  void KeepRunTable() { keepsRunTable_ = true; }
  // Tells the bitmap that its pixels changed, which drops its run table (and, for a view, the table of the bitmap
  // whose pixels it shares). The blitter's operations and Bitmap's own call it; code that writes the pixels of a
  // bitmap that keeps a run table, or of a view, directly calls it afterwards.
  void PixelsChanged() { DropRunTable(); }
  // The run table for a keyed draw of this bitmap, made now when there is none for its pixels as they are; null
  // when the bitmap keeps none (or is a view, or has no 3- or 4-byte keyed pixels).
  const KeyRuns* RunTable() const;
  // Whether the bitmap is a view of another's pixels.
  bool IsView() const { return viewPixels_ != nullptr; }

  int32_t BytesPerPixel() const { return format & kFormatBytesMask; }
  bool HasPixels() const { return pixels != nullptr && (state & kSizeValid) != 0; }
  Bounds Frame() const { return Bounds{0, 0, width, height}; }
  uint8_t* PixelAt(int32_t x, int32_t y) const {
    return pixels + static_cast<int64_t>(y) * rowBytes + static_cast<int64_t>(x) * BytesPerPixel();
  }

  // A plain record: the blitter reads these directly.
  int32_t width = 0;
  int32_t height = 0;
  int32_t format = 0;
  int32_t rowBytes = 0;
  PixelBlock pixelMemory;
  uint8_t* pixels = nullptr;
  bool ownsPixels = false;
  int32_t state = 0;

 private:
  bool SetSize(int32_t newWidth, int32_t newHeight, int32_t newFormat);
  bool AllocatePixels(bool zeroFill);

  void DropRunTable() const;

  uint8_t* viewPixels_ = nullptr;  // a view's first pixel, given back by Lock after an Unlock
  const Bitmap* viewSource_ = nullptr;  // the bitmap whose pixels a view shares
  bool keepsRunTable_ = false;
  mutable std::unique_ptr<KeyRuns> runTable_;
};

// The names tried for a picture file, in order: the name itself, then (when it has no ".", with ".png" added)
// its last three characters replaced by each of "png", "gif", "bmp", "jpg" and "pct".
std::vector<std::string> PictureNameCandidates(const std::string& name);

// The shared scratch buffer that hands picture bytes to the import: a locked handle of at least n bytes, made or
// resized only when the one held is smaller than n or more than twice as large. Null when it cannot be had (or n
// is 0). An import of a scratch buffer of more than 1 MiB releases it.
uint8_t* GetScratchBuffer(uint32_t n);
void ReleaseScratchBuffer();
// The size the scratch buffer was last made or resized for; 0 when there is none.
uint32_t ScratchBufferSize();
