// Showing windows through SDL: one SDL window, renderer and streaming texture per shown top-level window. The
// picture is the menu strip (when the window has a menu) above the client frame buffer, with an open drop-down
// drawn over it. A window starts at the desktop's scale (sdl_video.h) and may be made larger by the user or the
// window manager (a window with a caption can be resized, maximised or made fullscreen); a window that covers the
// screen of an emulated display mode is shown desktop-fullscreen. Whatever the SDL window's size, the picture is
// scaled by the largest whole factor that fits, with nearest-neighbour sampling, and centred on black.
#include "window_surface.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "menu_strip.h"
#include "program_resources.h"
#include "sdl_video.h"
#include "window_composition.h"

namespace host {
namespace {

constexpr int kThickFrame = 4;

bool CoversEmulatedScreen(const Window& window) {
  const UserState& state = State();
  if (!state.emulatedMode || (window.style & WS_CHILD) || (window.style & WS_CAPTION) == WS_CAPTION) return false;
  return window.bounds.left <= 0 && window.bounds.top <= 0 &&
         window.bounds.right >= static_cast<LONG>(state.mode.dmPelsWidth) &&
         window.bounds.bottom >= static_cast<LONG>(state.mode.dmPelsHeight);
}

int FrameWidth(const Window& window) { return window.frame == nullptr ? 0 : window.frame->width; }
int FrameHeight(const Window& window) { return window.frame == nullptr ? 0 : window.frame->height; }

// The device context over the frame reads the surface's fields at every call, so the pixels may move. True when
// the size changed.
bool ResizeFrame(Window& window, int width, int height) {
  if (window.frame == nullptr) window.frame = std::make_unique<HostSurface>();
  HostSurface& frame = *window.frame;
  if (width == frame.width && height == frame.height) return false;
  const uint32_t blank = (window.exStyle & WS_EX_TRANSPARENT) ? kUndrawnPixel : 0;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), blank);
  // Without width on either side there is nothing to keep (and no pixel to address).
  int rows = std::min(height, frame.height);
  int columns = std::min(width, frame.width);
  if (columns <= 0) rows = 0;
  for (int y = 0; y < rows; ++y) {
    std::memcpy(&pixels[static_cast<size_t>(y) * static_cast<size_t>(width)],
                &window.framePixels[static_cast<size_t>(y) * static_cast<size_t>(frame.width)],
                static_cast<size_t>(columns) * sizeof(uint32_t));
  }
  window.framePixels.swap(pixels);
  frame.width = width;
  frame.height = height;
  frame.pitch = width * static_cast<int32_t>(sizeof(uint32_t));
  frame.pixels = window.framePixels.empty() ? nullptr : window.framePixels.data();
  frame.dirty = RECT{0, 0, 0, 0};
  return true;
}

int64_t FloorDivide(int64_t value, int64_t divisor) {
  int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

int StripRows(const Window& window) { return HasMenuStrip(window) ? MenuStripHeight() : 0; }

bool Captioned(const Window& window) { return (window.style & WS_CAPTION) == WS_CAPTION; }

// Where the image lands in the renderer's output.
SDL_Rect Placement(int imageWidth, int imageHeight, int outputWidth, int outputHeight) {
  int factor = WholeScaleFactor(imageWidth, imageHeight, outputWidth, outputHeight);
  int width = imageWidth * factor;
  int height = imageHeight * factor;
  return SDL_Rect{(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}

// The class's icon, when it is one of the program's, becomes the SDL window's.
void SetIcon(const Window& window, SDL_Window* sdlWindow) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  if (window.windowClass == nullptr || !ProgramIconPixels(window.windowClass->icon, &width, &height, &pixels)) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32, width * 4,
                                                         SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(sdlWindow, icon);
  SDL_FreeSurface(icon);
}

}  // namespace

RECT NonClientInsets(DWORD style) {
  int frame = 0;
  if (style & WS_THICKFRAME) {
    frame = kThickFrame;
  } else if (style & WS_DLGFRAME) {
    frame = GetSystemMetrics(SM_CXDLGFRAME);
  } else if (style & WS_BORDER) {
    frame = 1;
  }
  int caption = (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
  return RECT{frame, frame + caption, frame, frame};
}

RECT ClientRectOf(const Window& window) {
  RECT insets = NonClientInsets(window.style);
  RECT client{window.bounds.left + insets.left, window.bounds.top + insets.top + StripRows(window),
              window.bounds.right - insets.right, window.bounds.bottom - insets.bottom};
  client.right = std::max(client.right, client.left);
  client.bottom = std::max(client.bottom, client.top);
  return client;
}

void ScreenSize(int* width, int* height) {
  const UserState& state = State();
  if (state.emulatedMode) {
    *width = static_cast<int>(state.mode.dmPelsWidth);
    *height = static_cast<int>(state.mode.dmPelsHeight);
    return;
  }
  DesktopSize(width, height);
}

int WholeScaleFactor(int frameWidth, int frameHeight, int outputWidth, int outputHeight) {
  if (frameWidth <= 0 || frameHeight <= 0) return 1;
  return std::max(1, std::min(outputWidth / frameWidth, outputHeight / frameHeight));
}

void DestroyWindowSurface(Window& window) {
  if (window.surface == nullptr) return;
  if (window.surface->texture != nullptr) SDL_DestroyTexture(window.surface->texture);
  if (window.surface->renderer != nullptr) SDL_DestroyRenderer(window.surface->renderer);
  if (window.surface->window != nullptr) SDL_DestroyWindow(window.surface->window);
  window.surface.reset();
}

void SyncWindowSurface(Window& window) {
  RECT client = ClientRectOf(window);
  // A client area that changes size is painted again in full.
  if (ResizeFrame(window, client.right - client.left, client.bottom - client.top) && !window.destroying) {
    InvalidateRect(window.handle, nullptr, TRUE);
  }
  if (window.style & WS_CHILD) {
    RequestPresent(window.handle);  // a child shows as part of its top-level window
    return;
  }
  bool shown = (window.style & WS_VISIBLE) && !window.destroying;
  if (!shown) {
    if (window.surface != nullptr && window.surface->window != nullptr) SDL_HideWindow(window.surface->window);
    return;
  }
  if (!VideoReady()) {
    PresentWindow(window);  // the picture is kept for the test seam even without SDL
    return;
  }
  int imageWidth = std::max(1, FrameWidth(window));
  int imageHeight = std::max(1, FrameHeight(window) + StripRows(window));
  const int scale = DesktopScale();
  const int width = imageWidth * scale, height = imageHeight * scale;
  const int x = client.left * scale, y = (client.top - StripRows(window)) * scale;
  if (window.surface == nullptr) {
    auto surface = std::make_unique<WindowSurface>();
    const Uint32 flags = SDL_WINDOW_HIDDEN | (Captioned(window) ? SDL_WINDOW_RESIZABLE : 0);
    surface->window = SDL_CreateWindow(window.title.c_str(), x, y, width, height, flags);
    if (surface->window == nullptr) return;
    surface->renderer = SDL_CreateRenderer(surface->window, -1, HasDisplay() ? 0 : SDL_RENDERER_SOFTWARE);
    if (surface->renderer == nullptr) surface->renderer = SDL_CreateRenderer(surface->window, -1, SDL_RENDERER_SOFTWARE);
    SetIcon(window, surface->window);
    window.surface = std::move(surface);
  }
  WindowSurface& surface = *window.surface;
  bool fullscreen = CoversEmulatedScreen(window);
  if (fullscreen != surface.fullscreen) {
    if (fullscreen) {
      // The window first covers its display by itself, for a display without a window manager to honour the
      // fullscreen request.
      SDL_Rect bounds;
      if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(surface.window)), &bounds) == 0) {
        SDL_SetWindowBordered(surface.window, SDL_FALSE);
        SDL_SetWindowPosition(surface.window, bounds.x, bounds.y);
        SDL_SetWindowSize(surface.window, bounds.w, bounds.h);
      }
    }
    SDL_SetWindowFullscreen(surface.window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    surface.fullscreen = fullscreen;
    // Back in a window, it takes the program's size and place again.
    surface.askedWidth = surface.askedHeight = 0;
    surface.askedPlace = false;
  }
  if (!fullscreen) {
    SDL_SetWindowBordered(surface.window, Captioned(window) ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(surface.window, Captioned(window) ? SDL_TRUE : SDL_FALSE);
    int leastWidth = 0, leastHeight = 0;
    SDL_GetWindowMinimumSize(surface.window, &leastWidth, &leastHeight);
    if (leastWidth != imageWidth || leastHeight != imageHeight) {
      SDL_SetWindowMinimumSize(surface.window, imageWidth, imageHeight);
    }
    if (width != surface.askedWidth || height != surface.askedHeight) {
      SDL_SetWindowSize(surface.window, width, height);
      surface.askedWidth = width;
      surface.askedHeight = height;
    }
    if (!surface.askedPlace || x != surface.askedX || y != surface.askedY) {
      SDL_SetWindowPosition(surface.window, x, y);
      surface.askedX = x;
      surface.askedY = y;
      surface.askedPlace = true;
    }
  }
  SDL_ShowWindow(surface.window);
  PresentWindow(window);
}

namespace {

// Puts the window's picture on its SDL window: the given rectangles of it are uploaded (all of it when there are
// none, or when the texture is new).
void ShowPicture(Window& window, const SDL_Rect* parts, int count) {
  PresentedImage& image = window.presented;
  WindowSurface* surface = window.surface.get();
  if (surface == nullptr || surface->renderer == nullptr || image.width <= 0 || image.height <= 0) return;
  if (surface->texture == nullptr || surface->textureWidth != image.width || surface->textureHeight != image.height) {
    if (surface->texture != nullptr) SDL_DestroyTexture(surface->texture);
    surface->texture = SDL_CreateTexture(surface->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                         image.width, image.height);
    surface->textureWidth = image.width;
    surface->textureHeight = image.height;
    if (surface->texture == nullptr) return;
    count = 0;
  }
  const int pitch = image.width * static_cast<int>(sizeof(uint32_t));
  if (count == 0) SDL_UpdateTexture(surface->texture, nullptr, image.pixels.data(), pitch);
  for (int i = 0; i < count; ++i) {
    const size_t first = static_cast<size_t>(parts[i].y) * static_cast<size_t>(image.width) + static_cast<size_t>(parts[i].x);
    SDL_UpdateTexture(surface->texture, &parts[i], &image.pixels[first], pitch);
  }
  int outputWidth = 0, outputHeight = 0;
  SDL_GetRendererOutputSize(surface->renderer, &outputWidth, &outputHeight);
  SDL_Rect target = Placement(image.width, image.height, outputWidth, outputHeight);
  // The black around a picture that does not cover the output; a picture that does leaves nothing to clear.
  if (target.x > 0 || target.y > 0 || target.x + target.w < outputWidth || target.y + target.h < outputHeight) {
    SDL_SetRenderDrawColor(surface->renderer, 0, 0, 0, 255);
    SDL_RenderClear(surface->renderer);
  }
  SDL_RenderCopy(surface->renderer, surface->texture, nullptr, &target);
  SDL_RenderPresent(surface->renderer);
}

}  // namespace

void PresentWindow(Window& window) {
  int strip = StripRows(window);
  PresentedImage& image = window.presented;
  image.width = FrameWidth(window);
  image.height = FrameHeight(window) + strip;
  image.clientTop = strip;
  ++image.count;
  image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), 0);
  if (!window.framePixels.empty()) {
    std::memcpy(&image.pixels[static_cast<size_t>(strip) * static_cast<size_t>(image.width)],
                window.framePixels.data(), window.framePixels.size() * sizeof(uint32_t));
  }
  ComposeChildren(window, image.pixels.data(), image.width, image.height, strip);
  if (strip > 0 && image.width > 0) DrawMenuStrip(window, image.pixels.data(), image.width, image.height);
  ShowPicture(window, nullptr, 0);
}

void PresentWindowPart(Window& window, const std::vector<RECT>& drawn) {
  const int strip = StripRows(window);
  PresentedImage& image = window.presented;
  const int width = FrameWidth(window), height = FrameHeight(window);
  // The picture is made whole when it no longer fits the window or children lie over the frame, and for a
  // transparent window, whose painting clears what it paints anew outside the drawn rectangles' account.
  if (image.width != width || image.height != height + strip || image.clientTop != strip ||
      (window.exStyle & WS_EX_TRANSPARENT) != 0 ||
      window.framePixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height) || HasChildWindows(window.handle)) {
    PresentWindow(window);
    return;
  }
  // The drawn rows are copied; what is uploaded are the runs of rows drawn one after another, each as wide as the
  // widest of its rows.
  std::vector<SDL_Rect> parts;
  for (const RECT& part : drawn) {
    const int left = std::max<int>(0, part.left), right = std::min<int>(width, part.right);
    const int top = std::max<int>(0, part.top), bottom = std::min<int>(height, part.bottom);
    if (left >= right || top >= bottom) continue;
    for (int y = top; y < bottom; ++y) {
      std::memcpy(&image.pixels[static_cast<size_t>(y + strip) * static_cast<size_t>(width) + static_cast<size_t>(left)],
                  &window.framePixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(left)],
                  static_cast<size_t>(right - left) * sizeof(uint32_t));
    }
    SDL_Rect* run = parts.empty() ? nullptr : &parts.back();
    if (run != nullptr && run->y + run->h == top + strip) {
      const int runLeft = std::min(run->x, left), runRight = std::max(run->x + run->w, right);
      *run = SDL_Rect{runLeft, run->y, runRight - runLeft, bottom + strip - run->y};
    } else {
      parts.push_back(SDL_Rect{left, top + strip, right - left, bottom - top});
    }
  }
  if (parts.empty()) return;
  ++image.count;
  // The strip is drawn again as with every picture: a menu may have changed without being drawn.
  if (strip > 0 && width > 0) {
    DrawMenuStrip(window, image.pixels.data(), image.width, image.height);
    parts.push_back(SDL_Rect{0, 0, width, strip});
  }
  ShowPicture(window, parts.data(), static_cast<int>(parts.size()));
}

bool OutputToImage(const Window& window, int x, int y, int* imageX, int* imageY) {
  const WindowSurface* surface = window.surface.get();
  int imageWidth = window.presented.width, imageHeight = window.presented.height;
  if (surface == nullptr || surface->window == nullptr || surface->renderer == nullptr || imageWidth <= 0 ||
      imageHeight <= 0) {
    *imageX = x;
    *imageY = y;
    return true;
  }
  // Mouse positions come in window points; the renderer may count more pixels per point.
  int windowWidth = 0, windowHeight = 0, outputWidth = 0, outputHeight = 0;
  SDL_GetWindowSize(surface->window, &windowWidth, &windowHeight);
  SDL_GetRendererOutputSize(surface->renderer, &outputWidth, &outputHeight);
  if (windowWidth <= 0 || windowHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) {
    *imageX = x;
    *imageY = y;
    return true;
  }
  int64_t px = int64_t{x} * outputWidth / windowWidth;
  int64_t py = int64_t{y} * outputHeight / windowHeight;
  SDL_Rect target = Placement(imageWidth, imageHeight, outputWidth, outputHeight);
  if (target.w <= 0 || target.h <= 0) return false;
  int64_t ix = px - target.x, iy = py - target.y;
  // Floor division keeps points left of or above the picture outside it.
  *imageX = static_cast<int>(FloorDivide(ix * imageWidth, target.w));
  *imageY = static_cast<int>(FloorDivide(iy * imageHeight, target.h));
  if (ix >= 0 && iy >= 0 && ix < target.w && iy < target.h) return true;
  // The black border around the picture is no part of the window's picture. A point beyond the window itself comes
  // only while a button is held (the pointer left the window in a drag) and goes on to the program, as it did
  // before the window was made larger; a fullscreen window has nothing beyond it.
  const bool beyondWindow = px < 0 || py < 0 || px >= outputWidth || py >= outputHeight;
  return beyondWindow && !surface->fullscreen;
}

bool PicturePlacement(const Window& window, int* outputWidth, int* outputHeight, RECT* picture) {
  const WindowSurface* surface = window.surface.get();
  if (surface == nullptr || surface->renderer == nullptr || window.presented.width <= 0) return false;
  if (SDL_GetRendererOutputSize(surface->renderer, outputWidth, outputHeight) != 0) return false;
  SDL_Rect target = Placement(window.presented.width, window.presented.height, *outputWidth, *outputHeight);
  *picture = RECT{target.x, target.y, target.x + target.w, target.y + target.h};
  return true;
}

void ImageToOutput(const Window& window, int imageX, int imageY, int* x, int* y) {
  const WindowSurface* surface = window.surface.get();
  int imageWidth = window.presented.width, imageHeight = window.presented.height;
  int windowWidth = 0, windowHeight = 0, outputWidth = 0, outputHeight = 0;
  if (surface != nullptr && surface->window != nullptr && surface->renderer != nullptr) {
    SDL_GetWindowSize(surface->window, &windowWidth, &windowHeight);
    SDL_GetRendererOutputSize(surface->renderer, &outputWidth, &outputHeight);
  }
  if (imageWidth <= 0 || imageHeight <= 0 || windowWidth <= 0 || windowHeight <= 0 || outputWidth <= 0 ||
      outputHeight <= 0) {
    *x = imageX;
    *y = imageY;
    return;
  }
  SDL_Rect target = Placement(imageWidth, imageHeight, outputWidth, outputHeight);
  int64_t px = target.x + (int64_t{imageX} * 2 + 1) * target.w / (2 * int64_t{imageWidth});
  int64_t py = target.y + (int64_t{imageY} * 2 + 1) * target.h / (2 * int64_t{imageHeight});
  *x = static_cast<int>(FloorDivide(px * windowWidth, outputWidth));
  *y = static_cast<int>(FloorDivide(py * windowHeight, outputHeight));
}

}  // namespace host
