// Loaded into a program under test by the start-up launcher (LD_PRELOAD): notes the moment the program first
// presents a frame that shows the expected picture, and writes that moment (CLOCK_MONOTONIC nanoseconds, eight
// bytes) to the launcher's pipe. It stands between the program and SDL's texture upload and present calls, which
// it passes on unchanged, and costs the program little: the expected picture comes as a grid of samples, written
// by the launcher.
//
// A program may upload only the parts of its frame that changed, so the probe keeps its own copy of the texture
// the frame is uploaded to, whole uploads and parts alike, and looks at that copy when the frame is presented:
// what the copy holds then is what the window shows.
//
// STARTUP_PROBE_FD names the pipe's descriptor, STARTUP_PROBE_EXPECTED the file of samples: width, height and step
// (three 32-bit words), then the picture's pixel (0x00RRGGBB) at every step-th column of every step-th row. A frame
// shows the picture when its bottom rows (below a menu strip, if any) hold at least 99 in 100 of the samples.
//
// With STARTUP_PROBE_CAPTURE set instead, the probe keeps the program's screen: every frame presented that differs
// from the one before is written to that path as a BMP file (whole: a partial file is never seen), so that the
// launcher can take the screen the program settles on.
#include <SDL.h>
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Expected {
  bool ready = false;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t step = 1;
  std::vector<uint32_t> samples;
};

const Expected& Samples() {
  static const Expected expected = [] {
    Expected e;
    const char* path = std::getenv("STARTUP_PROBE_EXPECTED");
    FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) return e;
    uint32_t header[3];
    if (std::fread(header, sizeof header, 1, file) == 1 && header[2] > 0) {
      e.width = header[0];
      e.height = header[1];
      e.step = header[2];
      e.samples.resize(size_t((e.width + e.step - 1) / e.step) * ((e.height + e.step - 1) / e.step));
      e.ready = std::fread(e.samples.data(), sizeof(uint32_t), e.samples.size(), file) == e.samples.size();
    }
    std::fclose(file);
    return e;
  }();
  return expected;
}

// The copy of the texture last uploaded to: its pixels as 0x00RRGGBB, a row after another.
struct Copy {
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  bool changed = false;  // uploaded to since the last present
};

Copy shown;
bool reported = false;
std::vector<uint32_t> lastCaptured;

// Takes an upload of RGB888 pixels into the copy: the whole texture, or the rectangle given.
void Keep(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels, int pitch) {
  Uint32 format = 0;
  int width = 0, height = 0;
  if (pixels == nullptr || SDL_QueryTexture(texture, &format, nullptr, &width, &height) != 0 ||
      format != SDL_PIXELFORMAT_RGB888 || width <= 0 || height <= 0) {
    return;
  }
  if (texture != shown.texture || width != shown.width || height != shown.height) {
    shown.texture = texture;
    shown.width = width;
    shown.height = height;
    shown.pixels.assign(size_t(width) * size_t(height), 0);
  }
  SDL_Rect part{0, 0, width, height};
  if (rect != nullptr && !SDL_IntersectRect(rect, &part, &part)) return;
  // The source's first row and column are the rectangle's as given.
  const int skipX = rect != nullptr ? part.x - rect->x : 0, skipY = rect != nullptr ? part.y - rect->y : 0;
  for (int y = 0; y < part.h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(pixels) +
                                                        ptrdiff_t(y + skipY) * pitch) + skipX;
    uint32_t* out = &shown.pixels[size_t(part.y + y) * size_t(width) + size_t(part.x)];
    for (int x = 0; x < part.w; ++x) out[x] = row[x] & 0xFFFFFF;
  }
  shown.changed = true;
}

// Writes the copy to the capture path when it differs from the one written last.
void Capture() {
  const char* path = std::getenv("STARTUP_PROBE_CAPTURE");
  if (path == nullptr || shown.pixels.empty() || shown.pixels == lastCaptured) return;
  lastCaptured = shown.pixels;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(lastCaptured.data(), shown.width, shown.height, 32,
                                                            shown.width * 4, SDL_PIXELFORMAT_RGB888);
  if (surface == nullptr) return;
  const std::string partial = std::string(path) + ".part";
  if (SDL_SaveBMP(surface, partial.c_str()) == 0) std::rename(partial.c_str(), path);
  SDL_FreeSurface(surface);
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Whether the copy shows the picture in its bottom rows.
bool ShowsPicture() {
  const Expected& e = Samples();
  if (!e.ready || uint32_t(shown.width) != e.width || uint32_t(shown.height) < e.height) return false;
  size_t equal = 0;
  size_t n = 0;
  for (uint32_t y = 0; y < e.height; y += e.step) {
    const uint32_t* row = &shown.pixels[size_t(uint32_t(shown.height) - e.height + y) * size_t(shown.width)];
    for (uint32_t x = 0; x < e.width; x += e.step) equal += row[x] == e.samples[n++];
  }
  return equal * 100 >= e.samples.size() * 99;
}

}  // namespace

extern "C" {

int SDL_UpdateTexture(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels, int pitch) {
  static auto next = Next<int (*)(SDL_Texture*, const SDL_Rect*, const void*, int)>("SDL_UpdateTexture");
  const int result = next(texture, rect, pixels, pitch);
  if (result == 0 && (!reported || std::getenv("STARTUP_PROBE_CAPTURE") != nullptr)) Keep(texture, rect, pixels, pitch);
  return result;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static auto next = Next<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
  next(renderer);
  if (!shown.changed) return;
  shown.changed = false;
  Capture();
  if (reported || !ShowsPicture()) return;
  reported = true;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const int64_t nanoseconds = int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
  if (const char* fd = std::getenv("STARTUP_PROBE_FD")) {
    [[maybe_unused]] ssize_t written = write(std::atoi(fd), &nanoseconds, sizeof nanoseconds);
  }
}

}  // extern "C"
