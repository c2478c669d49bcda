// The demo's sounds and music, made from tones: the ten sounds of the game's slots (blows, misses, gold, armour,
// potions, the purchase and the journal), each told apart by its pitch and shape, and the theme the title starts,
// a slow tune that the music player loops. They are AIFF files that the game reads beside its data file.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/sound_files.h"

namespace demo_scenario {

namespace {

// The sound effects' rate, and the theme's: music at the mixer's own rate is read without the media decoders, so
// that the title's theme does not wait for them to load.
constexpr double kRate = 22050.0;
constexpr double kThemeRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

// One tone: its pitch gliding from `from` to `to` hertz, a few partials, a 5 ms rise and a fall to silence.
struct Tone {
  double from, to;       // hertz
  double milliseconds;
  double amplitude;      // of the fundamental, in sample units
  double overtone = 0;   // share of the second partial
  double ring = 0;       // share of a partial at 2.76 times the pitch, for a metallic ring
  double decay = 4.0;    // how quickly it falls: the envelope is exp(-decay t / length)
};

void AddTone(std::vector<int16_t>& samples, const Tone& tone, double rate) {
  const size_t count = static_cast<size_t>(tone.milliseconds * rate / 1000.0);
  const size_t rise = static_cast<size_t>(0.005 * rate);
  double phase = 0;
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(count);
    const double frequency = tone.from + (tone.to - tone.from) * t;
    phase += 2 * kPi * frequency / rate;
    double envelope = std::exp(-tone.decay * t) * (1.0 - t);
    if (i < rise) envelope *= static_cast<double>(i) / static_cast<double>(rise);
    const double value = std::sin(phase) + tone.overtone * std::sin(2 * phase) + tone.ring * std::sin(2.76 * phase);
    samples.push_back(static_cast<int16_t>(std::clamp(value * tone.amplitude * envelope, -32767.0, 32767.0)));
  }
}

sw::Bytes Sound(const std::vector<Tone>& tones, double rate = kRate) {
  std::vector<int16_t> samples;
  for (const Tone& tone : tones) AddTone(samples, tone, rate);
  sw::SoundFileSpec fileSpec;
  fileSpec.samplesPerSecond = rate;
  return sw::WriteSoundFile(fileSpec, samples);
}

// The theme: sixteen notes in G, each fading as it goes, the last one held.
sw::Bytes Theme() {
  const double notes[] = {392.0, 493.9, 587.3, 493.9, 523.3, 659.3, 587.3, 493.9,
                          440.0, 523.3, 493.9, 392.0, 440.0, 370.0, 392.0, 392.0};
  std::vector<Tone> tune;
  for (size_t i = 0; i < std::size(notes); ++i) {
    const bool last = i + 1 == std::size(notes);
    tune.push_back({notes[i], notes[i], last ? 1200.0 : 420.0, 4200.0, 0.25, 0.0, last ? 2.0 : 1.5});
  }
  return Sound(tune, kThemeRate);
}

}  // namespace

std::vector<MediaFile> MakeMedia() {
  const std::pair<const char*, std::vector<Tone>> slots[] = {
      {"cs_attack_success", {{220, 90, 130, 12000, 0.5, 0, 5}}},
      {"cs_rangeattack_success", {{600, 200, 90, 9000, 0.3, 0, 5}}},
      {"cs_attack_miss", {{900, 300, 150, 3000, 0, 0, 2}}},
      {"cs_attack_receive", {{160, 110, 180, 11000, 0.6, 0, 3}}},
      {"cs_block_success", {{1800, 1760, 140, 6000, 0, 0.6, 6}}},
      {"cs_take_gold", {{1568, 1568, 70, 6000, 0, 0.3, 3}, {2093, 2093, 110, 6000, 0, 0.3, 4}}},
      {"cs_armor_wear", {{300, 260, 70, 9000, 0.4, 0, 5}, {250, 220, 90, 9000, 0.4, 0, 5}}},
      {"cs_use_potion", {{500, 560, 50, 5000, 0, 0, 3}, {700, 760, 50, 5000, 0, 0, 3}, {900, 960, 70, 5000, 0, 0, 3}}},
      {"cs_buy", {{1318.5, 1318.5, 100, 6000, 0, 0, 2}, {987.8, 987.8, 160, 6000, 0, 0, 3}}},
      {"cs_journal_log", {{784, 784, 80, 5000, 0, 0, 2}, {1046.5, 1046.5, 80, 5000, 0, 0, 2}, {1318.5, 1318.5, 160, 5000, 0, 0, 3}}},
  };
  std::vector<MediaFile> media;
  for (const auto& [name, tones] : slots) media.push_back({std::string("Sounds/") + name + ".aiff", Sound(tones)});
  media.push_back({"Music/Theme.aiff", Theme()});
  return media;
}

}  // namespace demo_scenario
