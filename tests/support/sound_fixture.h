// A scenario on the disk for the sound and media tests: the default folder is the test's temporary folder, the
// data path "Data/Data001.dat" (so media live under "Data/"), the audio output held so that only the test mixes,
// and helpers that write sound files there.
#pragma once

#include <string>
#include <vector>

#include "tests/support/file_system_fixture.h"
#include "tools/scenario_writer/sound_files.h"

class SoundScenarioTest : public FileSystemTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a sound file below "Data/" (e.g. "Sounds/boom.aiff").
  void WriteSound(const std::string& relative, const std::vector<int16_t>& samples,
                  const scenario_writer::SoundFileSpec& fileSpec = {});
  // `count` samples of one value at 44,100 Hz, so that mixed output can be compared sample for sample.
  static std::vector<int16_t> Level(int16_t value, size_t count) { return std::vector<int16_t>(count, value); }
};
