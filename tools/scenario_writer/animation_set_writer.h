// The scenario writer's animation sets: the set file exactly as the game reads it, from a plain description.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/scenario_writer/scenario_files.h"

namespace scenario_writer {

struct AnimationFrameSpec {
  int16_t frame = 0;  // 1-based frame picture number
  int16_t opcode = 0;
  std::string argument;
  int16_t x = 0;
  int16_t y = 0;
  std::array<int16_t, 7> unused{};  // written after each frame; the game skips them
};

struct AnimationSpec {
  std::string name;
  int16_t mode = 0;
  int16_t delay = 0;
  std::array<int16_t, 8> kept{};  // the other eight values of the animation's record
  std::vector<AnimationFrameSpec> frames;
};

struct AnimationSetSpec {
  std::string name;
  std::vector<std::string> pictures;  // file names under the scenario's "Pictures/"
  std::vector<AnimationSpec> animations;
  int16_t extraFlag = 0;              // 1: the four values below are meant
  int16_t collisionRadius = 0;
  int16_t centreX = 0;
  int16_t centreY = 0;
  int16_t centreFollowsOffset = 0;    // 1: the centre moves with the frame's offset
};

// The set file's bytes; counts past the 16-bit range and strings over 255 bytes are cut as the format cuts them.
Bytes EncodeAnimationSet(const AnimationSetSpec& set);

}  // namespace scenario_writer
