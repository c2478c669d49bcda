// Animation set files: a name, the picture names, the animations with their frames, and the extra values.
#include "tools/scenario_writer/animation_set_writer.h"

#include "game/shell/data/data_stream.h"

namespace scenario_writer {

Bytes EncodeAnimationSet(const AnimationSetSpec& set) {
  return StreamBytes([&](DataStream& stream) {
    stream.WritePStringPlain(set.name);
    stream.WriteInt16(static_cast<int16_t>(set.pictures.size()));
    for (const std::string& picture : set.pictures) stream.WritePStringPlain(picture);
    stream.WriteInt16(static_cast<int16_t>(set.animations.size()));
    for (const AnimationSpec& animation : set.animations) {
      stream.WritePStringPlain(animation.name);
      stream.WriteInt16(animation.mode);
      stream.WriteInt16(animation.delay);
      for (int16_t value : animation.kept) stream.WriteInt16(value);
      stream.WriteInt16(static_cast<int16_t>(animation.frames.size()));
      for (const AnimationFrameSpec& frame : animation.frames) {
        stream.WriteInt16(frame.frame);
        stream.WriteInt16(frame.opcode);
        stream.WritePStringPlain(frame.argument);
        stream.WriteInt16(frame.x);
        stream.WriteInt16(frame.y);
        for (int16_t value : frame.unused) stream.WriteInt16(value);
      }
    }
    stream.WriteInt16(set.extraFlag);
    for (int16_t value : {set.collisionRadius, set.centreX, set.centreY, set.centreFollowsOffset}) {
      stream.WriteInt16(value);
    }
  });
}

}  // namespace scenario_writer
