// Frames written as BMP files.
#include "tests/support/frame_files.h"

#include <filesystem>

#include "host/testing.h"
#include "tools/scenario_writer/picture_writer.h"

namespace sw = scenario_writer;

bool WriteShownFrame(HWND window, const std::string& path) {
  HostFrame frame;
  if (!HostTestLastFrame(window, &frame) || frame.pixels.empty()) return false;
  sw::Canvas canvas(frame.width, frame.height);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const uint32_t pixel = frame.pixels[static_cast<size_t>(y) * frame.width + x];
      canvas.Set(x, y, sw::Rgb{static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                               static_cast<uint8_t>(pixel)});
    }
  }
  std::error_code code;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), code);
  return sw::WriteBytesToFile(path, sw::EncodeBmp24(canvas));
}
