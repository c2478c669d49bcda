// MessageBeep: a short tone through the software mixer, its pitch chosen by the beep's type, and the test
// seam's list of the beeps asked for.
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

#include "audio_mixer.h"
#include "host/testing_sound.h"
#include "host/user.h"

namespace host {
namespace {

constexpr int kToneFrames = kMixRate / 8;  // 125 ms
constexpr int kFadeFrames = kMixRate / 200;  // 5 ms at each end, so the tone starts and stops without a click
constexpr double kAmplitude = 6000.0;

// The beep's sound: silent until MessageBeep starts a tone.
class BeepTone : public MixSource {
 public:
  void Start(double frequency) {
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    step_ = 2.0 * std::numbers::pi * frequency / kMixRate;
    phase_ = 0.0;
    played_ = 0;
  }

  void MixInto(int32_t* sum, int frames) override {
    for (int i = 0; i < frames && played_ < kToneFrames; ++i, ++played_) {
      const int edge = std::min(played_, kToneFrames - 1 - played_);
      const double envelope = edge < kFadeFrames ? static_cast<double>(edge) / kFadeFrames : 1.0;
      sum[i] += static_cast<int32_t>(kAmplitude * envelope * std::sin(phase_));
      phase_ += step_;
    }
  }

 private:
  double step_ = 0.0;
  double phase_ = 0.0;
  int played_ = kToneFrames;
};

struct Beeps {
  std::mutex lock;
  std::vector<UINT> asked;
  BeepTone tone;
  bool outputHeld = false;
};

Beeps& TheBeeps() {
  static Beeps* beeps = new Beeps;  // the mixer may still read the tone while the program ends
  return *beeps;
}

double FrequencyOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return 440.0;
    case MB_ICONQUESTION: return 660.0;
    case MB_ICONWARNING: return 550.0;
    case MB_ICONINFORMATION: return 990.0;
    default: return 880.0;
  }
}

}  // namespace
}  // namespace host

BOOL MessageBeep(UINT type) {
  host::Beeps& beeps = host::TheBeeps();
  {
    std::lock_guard<std::mutex> hold(beeps.lock);
    beeps.asked.push_back(type);
    // The output stays open once a beep has sounded, as the next one is likely soon.
    if (!beeps.outputHeld) beeps.outputHeld = host::AcquireAudioOutput();
    if (!beeps.outputHeld) return FALSE;
  }
  host::AddMixSource(&beeps.tone);
  beeps.tone.Start(host::FrequencyOf(type));
  return TRUE;
}

std::vector<UINT> HostTestBeeps() {
  host::Beeps& beeps = host::TheBeeps();
  std::lock_guard<std::mutex> hold(beeps.lock);
  return beeps.asked;
}

void HostTestClearBeeps() {
  host::Beeps& beeps = host::TheBeeps();
  std::lock_guard<std::mutex> hold(beeps.lock);
  beeps.asked.clear();
}
