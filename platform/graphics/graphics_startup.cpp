// Graphics start-up and shut-down and the shared palettes (see graphics_startup.h).
//
// The palettes are constants built at compile time, so surfaces made before start-up (as in tests of the
// importers) see the same colours.
#include "platform/graphics/graphics_startup.h"

#include <cstring>

#include "host/kernel.h"
#include "platform/core/core.h"

namespace {

constexpr Palette BuildStandardPalette() {
  constexpr uint8_t kLevel6[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
  // The second level is 0xEE again (not 0xDD), so each ramp holds two equal entries.
  constexpr uint8_t kLevel10[10] = {0xEE, 0xEE, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
  Palette p{};
  p.count = 256;
  int index = 0;
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 6; ++j) {
      for (int k = 0; k < 6; ++k) {
        p.entries[index++] = ColorRecord{0xFF, kLevel6[i], kLevel6[j], kLevel6[k]};
      }
    }
  }
  index = 215;  // the cube's last combination (black) is not kept
  for (int n = 0; n < 10; ++n) p.entries[index++] = ColorRecord{0xFF, kLevel10[n], 0, 0};
  for (int n = 0; n < 10; ++n) p.entries[index++] = ColorRecord{0xFF, 0, kLevel10[n], 0};
  for (int n = 0; n < 10; ++n) p.entries[index++] = ColorRecord{0xFF, 0, 0, kLevel10[n]};
  for (int n = 0; n < 10; ++n) p.entries[index++] = ColorRecord{0xFF, kLevel10[n], kLevel10[n], kLevel10[n]};
  p.entries[255] = ColorRecord{0xFF, 0, 0, 0};
  return p;
}

constexpr Palette BuildGreyPalette() {
  Palette p{};
  p.count = 256;
  for (int i = 0; i < 256; ++i) {
    const uint8_t v = static_cast<uint8_t>(i);
    p.entries[i] = ColorRecord{0xFF, v, v, v};
  }
  return p;
}

struct GraphicsState {
  bool started = false;
  FARPROC createDibSection = nullptr;
  FARPROC transparentBlt = nullptr;  // kept; nothing calls it
  int dibSectionOverride = -1;       // tests: -1 none, 0 absent, 1 present
};

GraphicsState state;

}  // namespace

constinit const Palette StandardPalette = BuildStandardPalette();
constinit const Palette GreyPalette = BuildGreyPalette();

PlatformError PlatformGraphicsStartup() {
  if (state.started) return kPlatformNoError;
  const PlatformError error = PlatformStartup();
  if (error != kPlatformNoError) return error;
  // The entry points are looked up in modules already loaded, never loading them.
  HMODULE imaging = GetModuleHandleA("MSIMG32.DLL");
  state.transparentBlt = imaging ? GetProcAddress(imaging, "TransparentBlt") : nullptr;
  HMODULE gdi = GetModuleHandleA("GDI32.DLL");
  state.createDibSection = gdi ? GetProcAddress(gdi, "CreateDIBSection") : nullptr;
  state.started = true;
  return kPlatformNoError;
}

PlatformError PlatformGraphicsShutdown() {
  state.createDibSection = nullptr;
  state.started = false;
  return kPlatformNoError;
}

bool GraphicsHasDibSections() {
  if (state.dibSectionOverride >= 0) return state.dibSectionOverride == 1;
  return state.createDibSection != nullptr;
}

void OverrideDibSectionsForTesting(int present) { state.dibSectionOverride = present < 0 ? -1 : (present ? 1 : 0); }

bool PalettesEqual(const Palette* a, const Palette* b) {
  if (a->count != b->count) return false;
  const int32_t count = a->count < 0 ? 0 : (a->count > 256 ? 256 : a->count);
  return std::memcmp(a->entries, b->entries, sizeof(ColorRecord) * static_cast<size_t>(count)) == 0;
}
