// Showing windows through SDL: one SDL window, renderer and streaming texture per shown top-level window. The
// picture is the menu strip (when the window has a menu) above the client frame buffer, with an open drop-down
// drawn over it. A window starts at the desktop's scale (sdl_video.h) and may be made larger by the user or the
// window manager (a window with a caption can be resized, maximised or made fullscreen); a window that covers the
// screen of an emulated display mode is shown desktop-fullscreen. Whatever the SDL window's size, the picture is
// scaled by the largest whole factor that fits, with nearest-neighbour sampling: the strip along the window's top
// edge, across its width, and the client area centred on black in what is left, with an open drop-down hanging
// from the strip.
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

// Where a window's picture lands in the renderer's output. The strip lies along the output's top edge, across its
// whole width; the client area is centred in what is left under it. Both are scaled by the largest whole factor by
// which the strip and the client area together fit.
struct OutputLayout {
  int factor = 1;
  int strip = 0;       // rows of strip in the window image
  int band = 0;        // rows of strip in the output
  SDL_Rect picture{};  // the client area
};

OutputLayout LayoutOf(const PresentedImage& image, int outputWidth, int outputHeight) {
  OutputLayout layout;
  layout.factor = WholeScaleFactor(image.width, image.height, outputWidth, outputHeight);
  layout.strip = image.clientTop;
  layout.band = layout.strip * layout.factor;
  const int width = image.width * layout.factor, height = (image.height - layout.strip) * layout.factor;
  layout.picture = SDL_Rect{(outputWidth - width) / 2, layout.band + (outputHeight - layout.band - height) / 2, width,
                            height};
  return layout;
}

// Where the image's origin lies in the output for the strip's pixels (and an open drop-down's, which hangs from
// the strip) and for the client area's, whose rows under the strip start at the picture.
SDL_Point StripOrigin() { return SDL_Point{0, 0}; }
SDL_Point ClientOrigin(const OutputLayout& layout) {
  return SDL_Point{layout.picture.x, layout.picture.y - layout.band};
}

// While the window's menu is open every point belongs to the menu, and so to the strip's space.
bool MenuOpen(const Window& window) { return MenuStripTracking(window.handle); }

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

// A place near (x, y) at which the SDL window, with the frame the window manager gives it as far as it has told
// it, lies inside the desktop's work area: moved in from each edge it would cross; a window larger than the work
// area keeps its top left corner inside. Also where the work area cannot be had, the place stays.
SDL_Point InsideWorkArea(SDL_Window* sdlWindow, int x, int y) {
  SDL_Rect area;
  if (SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(sdlWindow)), &area) != 0 || area.w <= 0 ||
      area.h <= 0) {
    return SDL_Point{x, y};
  }
  int width = 0, height = 0, top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowSize(sdlWindow, &width, &height);
  if (SDL_GetWindowBordersSize(sdlWindow, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  x = std::max(std::min(x, area.x + area.w - right - width), area.x + left);
  y = std::max(std::min(y, area.y + area.h - bottom - height), area.y + top);
  return SDL_Point{x, y};
}

bool FrameKnown(SDL_Window* sdlWindow) {
  int top = 0, left = 0, bottom = 0, right = 0;
  return SDL_GetWindowBordersSize(sdlWindow, &top, &left, &bottom, &right) == 0 &&
         (top != 0 || left != 0 || bottom != 0 || right != 0);
}

// The window rectangle follows a place its SDL window has on the desktop (whose content starts at the strip), in
// the program's pixels: where it is now is where it was put, and it stays there until the program moves it.
void FollowPlaceOnScreen(Window& window, int x, int y) {
  WindowSurface& surface = *window.surface;
  const int scale = DesktopScale();
  const RECT client = ClientRectOf(window);
  const LONG dx = x / scale - client.left;
  const LONG dy = y / scale + StripRows(window) - client.top;
  window.bounds.left += dx;
  window.bounds.right += dx;
  window.bounds.top += dy;
  window.bounds.bottom += dy;
  surface.askedX = (client.left + dx) * scale;
  surface.askedY = (client.top + dy - StripRows(window)) * scale;
  surface.askedPlace = true;
}

// Puts the SDL window at the place the program gives it, or the nearest inside the work area; the window rectangle
// follows a place moved in. Until the window manager has told the window's frame, the place is looked at again
// when the window is first seen moved.
void PlaceInWorkArea(Window& window, int x, int y) {
  WindowSurface& surface = *window.surface;
  const SDL_Point place = InsideWorkArea(surface.window, x, y);
  SDL_SetWindowPosition(surface.window, place.x, place.y);
  if (place.x != x || place.y != y) FollowPlaceOnScreen(window, place.x, place.y);
  surface.placeUnframed = !FrameKnown(surface.window);
}

}  // namespace

void WindowMovedOnScreen(Window& window, int x, int y) {
  if (window.surface == nullptr || window.surface->window == nullptr || window.surface->fullscreen) return;
  FollowPlaceOnScreen(window, x, y);
  if (!window.surface->placeUnframed) return;
  window.surface->placeUnframed = false;
  // The window manager has framed the window since the program placed it: the frame, too, must lie inside.
  const SDL_Point place = InsideWorkArea(window.surface->window, x, y);
  if (place.x == x && place.y == y) return;
  SDL_SetWindowPosition(window.surface->window, place.x, place.y);
  FollowPlaceOnScreen(window, place.x, place.y);
}

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
  if (window.surface->coveredTexture != nullptr) SDL_DestroyTexture(window.surface->coveredTexture);
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
    const bool resized = width != surface.askedWidth || height != surface.askedHeight;
    if (resized) {
      SDL_SetWindowSize(surface.window, width, height);
      surface.askedWidth = width;
      surface.askedHeight = height;
    }
    if (resized || !surface.askedPlace || x != surface.askedX || y != surface.askedY) {
      surface.askedX = x;
      surface.askedY = y;
      surface.askedPlace = true;
      PlaceInWorkArea(window, x, y);
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
  const OutputLayout layout = LayoutOf(image, outputWidth, outputHeight);
  const SDL_Rect& picture = layout.picture;
  const int factor = layout.factor;
  SDL_Renderer* renderer = surface->renderer;
  // The black around a client area that does not cover the output under the strip; one that does leaves nothing
  // to clear.
  if (picture.x > 0 || picture.y > layout.band || picture.x + picture.w < outputWidth ||
      picture.y + picture.h < outputHeight) {
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
  }
  if (image.height > layout.strip) {
    const SDL_Rect client{0, layout.strip, image.width, image.height - layout.strip};
    SDL_RenderCopy(renderer, surface->texture, &client, &picture);
  }
  const RECT& dropDown = image.dropDown;
  const bool dropDownAside = dropDown.right > dropDown.left && dropDown.bottom > dropDown.top &&
                             (picture.x != 0 || picture.y != layout.band);
  if (dropDownAside) {
    // The picture holds the drop-down over the client area; where the client area lies elsewhere than right under
    // the strip, it shows its own pixels there, and the drop-down hangs from its entry.
    const int width = dropDown.right - dropDown.left, height = dropDown.bottom - dropDown.top;
    if (surface->coveredTexture == nullptr || surface->coveredWidth != width || surface->coveredHeight != height) {
      if (surface->coveredTexture != nullptr) SDL_DestroyTexture(surface->coveredTexture);
      surface->coveredTexture =
          SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
      surface->coveredWidth = width;
      surface->coveredHeight = height;
    }
    const SDL_Point client = ClientOrigin(layout);
    const SDL_Rect under{client.x + dropDown.left * factor, client.y + dropDown.top * factor, width * factor,
                         height * factor};
    if (surface->coveredTexture != nullptr &&
        SDL_UpdateTexture(surface->coveredTexture, nullptr, image.covered.data(),
                          width * static_cast<int>(sizeof(uint32_t))) == 0) {
      SDL_RenderCopy(renderer, surface->coveredTexture, nullptr, &under);
    }
  }
  if (layout.strip > 0) {
    if (image.width * factor < outputWidth) {
      const uint32_t color = MenuStripColor();
      SDL_SetRenderDrawColor(renderer, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF, 255);
      const SDL_Rect band{0, 0, outputWidth, layout.band};
      SDL_RenderFillRect(renderer, &band);
    }
    const SDL_Rect strip{0, 0, image.width, layout.strip};
    const SDL_Rect target{StripOrigin().x, StripOrigin().y, image.width * factor, layout.band};
    SDL_RenderCopy(renderer, surface->texture, &strip, &target);
  }
  if (dropDownAside) {
    const SDL_Rect from{dropDown.left, dropDown.top, dropDown.right - dropDown.left, dropDown.bottom - dropDown.top};
    const SDL_Rect to{StripOrigin().x + from.x * factor, StripOrigin().y + from.y * factor, from.w * factor,
                      from.h * factor};
    SDL_RenderCopy(renderer, surface->texture, &from, &to);
  }
  SDL_RenderPresent(renderer);
}

// Keeps the pixels under the open drop-down's frame (clipped to the client area's rows) before it is drawn.
void KeepCoveredPixels(const Window& window, PresentedImage& image) {
  image.dropDown = RECT{};
  image.covered.clear();
  RECT frame;
  if (image.clientTop <= 0 || !MenuStripDropDownFrame(window, &frame)) return;
  const RECT kept{std::max<LONG>(frame.left, 0), std::max<LONG>(frame.top, image.clientTop),
                  std::min<LONG>(frame.right, image.width), std::min<LONG>(frame.bottom, image.height)};
  if (kept.left >= kept.right || kept.top >= kept.bottom) return;
  image.dropDown = kept;
  for (LONG y = kept.top; y < kept.bottom; ++y) {
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    image.covered.insert(image.covered.end(), row + kept.left, row + kept.right);
  }
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
  KeepCoveredPixels(window, image);
  if (strip > 0 && image.width > 0) DrawMenuStrip(window, image.pixels.data(), image.width, image.height);
  ShowPicture(window, nullptr, 0);
}

void PresentWindowPart(Window& window, const std::vector<RECT>& drawn) {
  const int strip = StripRows(window);
  PresentedImage& image = window.presented;
  const int width = FrameWidth(window), height = FrameHeight(window);
  // The picture is made whole when it no longer fits the window or children lie over the frame, for a
  // transparent window, whose painting clears what it paints anew outside the drawn rectangles' account, and
  // while a drop-down lies over the client area.
  if (image.width != width || image.height != height + strip || image.clientTop != strip ||
      (window.exStyle & WS_EX_TRANSPARENT) != 0 || MenuOpen(window) ||
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
  const PresentedImage& image = window.presented;
  *imageX = x;
  *imageY = y;
  if (surface == nullptr || surface->window == nullptr || surface->renderer == nullptr || image.width <= 0 ||
      image.height <= 0) {
    return true;
  }
  // Mouse positions come in window points; the renderer may count more pixels per point.
  int windowWidth = 0, windowHeight = 0, outputWidth = 0, outputHeight = 0;
  SDL_GetWindowSize(surface->window, &windowWidth, &windowHeight);
  SDL_GetRendererOutputSize(surface->renderer, &outputWidth, &outputHeight);
  if (windowWidth <= 0 || windowHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) return true;
  const int64_t px = int64_t{x} * outputWidth / windowWidth;
  const int64_t py = int64_t{y} * outputHeight / windowHeight;
  const OutputLayout layout = LayoutOf(image, outputWidth, outputHeight);
  const bool onWindow = px >= 0 && py >= 0 && px < outputWidth && py < outputHeight;
  const bool onStrip = layout.strip > 0 && (MenuOpen(window) || (onWindow && py < layout.band));
  const SDL_Point origin = onStrip ? StripOrigin() : ClientOrigin(layout);
  // Floor division keeps points left of or above the picture outside it.
  *imageX = static_cast<int>(FloorDivide(px - origin.x, layout.factor));
  *imageY = static_cast<int>(FloorDivide(py - origin.y, layout.factor));
  if (onStrip) return onWindow;
  const SDL_Rect& picture = layout.picture;
  if (px >= picture.x && py >= picture.y && px < picture.x + picture.w && py < picture.y + picture.h) return true;
  // The black around the client area is no part of the window's picture. A point beyond the window itself comes
  // only while a button is held (the pointer left the window in a drag) and goes on to the program, as it did
  // before the window was made larger; a fullscreen window has nothing beyond it.
  return !onWindow && !surface->fullscreen;
}

bool PicturePlacement(const Window& window, int* outputWidth, int* outputHeight, RECT* strip, RECT* picture) {
  const WindowSurface* surface = window.surface.get();
  if (surface == nullptr || surface->renderer == nullptr || window.presented.width <= 0) return false;
  if (SDL_GetRendererOutputSize(surface->renderer, outputWidth, outputHeight) != 0) return false;
  const OutputLayout layout = LayoutOf(window.presented, *outputWidth, *outputHeight);
  *strip = layout.band > 0 ? RECT{0, 0, *outputWidth, layout.band} : RECT{};
  const SDL_Rect& target = layout.picture;
  *picture = RECT{target.x, target.y, target.x + target.w, target.y + target.h};
  return true;
}

void ImageToOutput(const Window& window, int imageX, int imageY, int* x, int* y) {
  const WindowSurface* surface = window.surface.get();
  const PresentedImage& image = window.presented;
  int windowWidth = 0, windowHeight = 0, outputWidth = 0, outputHeight = 0;
  if (surface != nullptr && surface->window != nullptr && surface->renderer != nullptr) {
    SDL_GetWindowSize(surface->window, &windowWidth, &windowHeight);
    SDL_GetRendererOutputSize(surface->renderer, &outputWidth, &outputHeight);
  }
  if (image.width <= 0 || image.height <= 0 || windowWidth <= 0 || windowHeight <= 0 || outputWidth <= 0 ||
      outputHeight <= 0) {
    *x = imageX;
    *y = imageY;
    return;
  }
  const OutputLayout layout = LayoutOf(image, outputWidth, outputHeight);
  const bool onStrip = layout.strip > 0 && (MenuOpen(window) || (imageY >= 0 && imageY < layout.strip));
  const SDL_Point origin = onStrip ? StripOrigin() : ClientOrigin(layout);
  // The middle of the pixel.
  const int64_t px = origin.x + int64_t{imageX} * layout.factor + layout.factor / 2;
  const int64_t py = origin.y + int64_t{imageY} * layout.factor + layout.factor / 2;
  *x = static_cast<int>(FloorDivide(px * windowWidth, outputWidth));
  *y = static_cast<int>(FloorDivide(py * windowHeight, outputHeight));
}

}  // namespace host
