// Composing child windows over their parents: each shown child's frame buffer goes over its parent's client
// area at its place, clipped to the parent (and to the parent's own clip); later children lie above earlier ones.
// A child with a border gets a one-pixel black frame; a WS_EX_TRANSPARENT child shows only what it has drawn.
#include "window_composition.h"

#include <algorithm>
#include <vector>

#include "host/gdi.h"
#include "gdi_internal.h"
#include "window_surface.h"

namespace host {
namespace {

struct Clip {
  int left, top, right, bottom;  // image pixels
};

void PutPixel(uint32_t* pixels, int width, const Clip& clip, int x, int y, uint32_t value) {
  if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) {
    pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = value;
  }
}

// Draws the children of `parent`, whose client area's top-left is (originX, originY) in the image, within clip.
void ComposeInto(HWND parent, int originX, int originY, const Clip& clip, uint32_t* pixels, int width) {
  std::vector<Window*> children;
  for (Window* window : AllWindows()) {
    if (window->parent == parent && (window->style & WS_VISIBLE) && !window->destroying) children.push_back(window);
  }
  for (Window* child : children) {
    RECT insets = NonClientInsets(child->style);
    const int left = originX + child->bounds.left, top = originY + child->bounds.top;
    const int right = originX + child->bounds.right, bottom = originY + child->bounds.bottom;
    Clip inner{std::max(clip.left, left), std::max(clip.top, top), std::min(clip.right, right),
               std::min(clip.bottom, bottom)};
    if (inner.left >= inner.right || inner.top >= inner.bottom) continue;
    if (insets.left > 0 || insets.top > 0) {
      for (int x = left; x < right; ++x) {
        PutPixel(pixels, width, inner, x, top, 0);
        PutPixel(pixels, width, inner, x, bottom - 1, 0);
      }
      for (int y = top; y < bottom; ++y) {
        PutPixel(pixels, width, inner, left, y, 0);
        PutPixel(pixels, width, inner, right - 1, y, 0);
      }
    }
    const int clientX = left + insets.left, clientY = top + insets.top;
    Clip client{std::max(inner.left, clientX), std::max(inner.top, clientY),
                std::min(inner.right, right - static_cast<int>(insets.right)),
                std::min(inner.bottom, bottom - static_cast<int>(insets.bottom))};
    const HostSurface* frame = child->frame.get();
    if (frame != nullptr && frame->pixels != nullptr) {
      client.right = std::min(client.right, clientX + frame->width);
      client.bottom = std::min(client.bottom, clientY + frame->height);
      const bool transparent = (child->exStyle & WS_EX_TRANSPARENT) != 0;
      for (int y = client.top; y < client.bottom; ++y) {
        const uint32_t* source = frame->pixels + static_cast<size_t>(y - clientY) * static_cast<size_t>(frame->width);
        uint32_t* target = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = client.left; x < client.right; ++x) {
          uint32_t value = source[x - clientX];
          if (transparent && (value & kUndrawnPixel) == kUndrawnPixel) continue;
          target[x] = value & 0x00FFFFFF;
        }
      }
    }
    if (client.left < client.right && client.top < client.bottom) {
      ComposeInto(child->handle, clientX, clientY, client, pixels, width);
    }
  }
}

}  // namespace

void ComposeChildren(const Window& window, uint32_t* pixels, int width, int height, int clientTop) {
  if (pixels == nullptr || window.frame == nullptr) return;
  Clip clip{0, clientTop, std::min(width, window.frame->width), std::min(height, clientTop + window.frame->height)};
  ComposeInto(window.handle, 0, clientTop, clip, pixels, width);
}

void RequestPresent(HWND window) {
  Window* top = FindWindow(TopLevelOf(window));
  if (top == nullptr || top->frame == nullptr) return;
  top->frame->dirty = RECT{0, 0, std::max(1, top->frame->width), std::max(1, top->frame->height)};
}

void ClearToUndrawn(Window& window, HRGN region) {
  HostSurface* frame = window.frame.get();
  if (frame == nullptr || frame->pixels == nullptr || region == nullptr) return;
  DWORD size = GetRegionData(region, 0, nullptr);
  if (size == 0) return;
  std::vector<uint8_t> bytes(size);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  if (GetRegionData(region, size, data) == 0) return;
  const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    const int left = std::max<int>(0, rects[i].left), right = std::min<int>(frame->width, rects[i].right);
    const int top = std::max<int>(0, rects[i].top), bottom = std::min<int>(frame->height, rects[i].bottom);
    for (int y = top; y < bottom; ++y) {
      uint32_t* row = frame->pixels + static_cast<size_t>(y) * static_cast<size_t>(frame->width);
      std::fill(row + left, row + std::max(left, right), kUndrawnPixel);
    }
  }
}

}  // namespace host
