// Fuzzes the animation set reader: any bytes give a set (short data reads as zeros and empty names) whose every
// frame index names an entry of the set's own event and sound lists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "game/graphics/animation_set.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/media/sound_effects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SoundEffect sound("sound", nullptr);  // no device behind it: the set only keeps it
  static const bool ready = [] {
    PictureCache::SetLoader([](const char*, BitmapStatus* status) -> std::unique_ptr<Bitmap> {
      *status = kBitmapNothingToImport;
      return nullptr;
    });
    PictureCache::SelectPool(PictureCache::NewPool(0));
    AnimationSetServices services;
    // Sounds whose names start with "s" exist; events never load.
    services.findOrLoadSound = [](const std::string& name) { return name.rfind('s', 0) == 0 ? &sound : nullptr; };
    SetAnimationSetServices(services);
    return true;
  }();
  (void)ready;

  DataStream stream;
  MemHandle block;
  if (size != 0) {
    if (!block.Allocate(size)) return 0;
    std::memcpy(block.Lock(), data, size);
    block.Unlock();
  }
  stream.AttachMemory(block, true);
  AnimationSet set;
  if (set.Read(stream, (size & 1) != 0) != 0) std::abort();
  for (const Animation& animation : set.Animations()) {
    for (const AnimationFrame& frame : animation.frames) {
      // An event index is -1 only when the set already names as many events as an index can reach.
      if (frame.opcode == kFrameOpRunEvent && (frame.eventIndex < 0 ? set.EventCount() <= INT16_MAX
                                                                    : size_t(frame.eventIndex) >= set.EventCount()))
        std::abort();
      if (frame.opcode == kFrameOpPlaySound && frame.soundIndex >= 0 &&
          size_t(frame.soundIndex) >= set.Sounds().size())
        std::abort();
    }
  }
  return 0;
}
