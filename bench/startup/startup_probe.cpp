// Loaded into a program under test by the start-up launcher (LD_PRELOAD): notes the moment the program first
// presents a frame that shows the expected picture, and writes that moment (CLOCK_MONOTONIC nanoseconds, eight
// bytes) to the launcher's pipe. It stands between the program and SDL's texture upload and present calls, which
// it passes on unchanged.
//
// STARTUP_PROBE_FD names the pipe's descriptor, STARTUP_PROBE_PICTURE the BMP file of the expected picture. A frame
// shows the picture when its bottom rows (below a menu strip, if any) hold the picture's pixels.
#include <SDL.h>
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Expected {
  bool ready = false;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
};

Expected& Picture() {
  static Expected expected = [] {
    Expected e;
    const char* path = std::getenv("STARTUP_PROBE_PICTURE");
    SDL_Surface* loaded = path != nullptr ? SDL_LoadBMP(path) : nullptr;
    SDL_Surface* converted = loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
    if (converted != nullptr) {
      e.width = converted->w;
      e.height = converted->h;
      for (int y = 0; y < e.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(converted->pixels) +
                                                            static_cast<ptrdiff_t>(y) * converted->pitch);
        for (int x = 0; x < e.width; ++x) e.pixels.push_back(row[x] & 0xFFFFFF);
      }
      e.ready = true;
    }
    SDL_FreeSurface(converted);
    SDL_FreeSurface(loaded);
    return e;
  }();
  return expected;
}

bool pictureUploaded = false;
bool reported = false;

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Whether a whole-texture upload of RGB888 pixels shows the picture in its bottom rows: at least 99 in 100 of the
// picture's pixels equal.
bool ShowsPicture(SDL_Texture* texture, const void* pixels, int pitch) {
  Uint32 format = 0;
  int width = 0, height = 0;
  if (SDL_QueryTexture(texture, &format, nullptr, &width, &height) != 0 || format != SDL_PIXELFORMAT_RGB888) {
    return false;
  }
  const Expected& e = Picture();
  if (!e.ready || width != e.width || height < e.height) return false;
  size_t equal = 0;
  for (int y = 0; y < e.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(pixels) +
                                                        static_cast<ptrdiff_t>(height - e.height + y) * pitch);
    for (int x = 0; x < e.width; ++x) equal += (row[x] & 0xFFFFFF) == e.pixels[size_t(y) * e.width + x];
  }
  return equal * 100 >= e.pixels.size() * 99;
}

}  // namespace

extern "C" {

int SDL_UpdateTexture(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels, int pitch) {
  static auto next = Next<int (*)(SDL_Texture*, const SDL_Rect*, const void*, int)>("SDL_UpdateTexture");
  const int result = next(texture, rect, pixels, pitch);
  if (!reported && rect == nullptr && pixels != nullptr) pictureUploaded = ShowsPicture(texture, pixels, pitch);
  return result;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static auto next = Next<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
  next(renderer);
  if (reported || !pictureUploaded) return;
  reported = true;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const int64_t nanoseconds = int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
  if (const char* fd = std::getenv("STARTUP_PROBE_FD")) {
    [[maybe_unused]] ssize_t written = write(std::atoi(fd), &nanoseconds, sizeof nanoseconds);
  }
}

}  // extern "C"
