// The sound scenario fixture.
#include "tests/support/sound_fixture.h"

#include "game/shell/data/data_paths.h"
#include "host/testing.h"
#include "host/testing_sound.h"

void SoundScenarioTest::SetUp() {
  FileSystemTest::SetUp();
  ASSERT_EQ(PlatformSetDefaultFolder(folder_, static_cast<const char*>(nullptr)), kPlatformNoError);
  SetDataRoots("Data/Data001.dat");
  HostTestSetHeadless(true);
  HostTestHoldAudio(true);
  HostTestClearMixerOutput();
}

void SoundScenarioTest::TearDown() {
  HostTestHoldAudio(false);
  HostTestRefuseAudioDevice(false);
  FileSystemTest::TearDown();
}

void SoundScenarioTest::WriteSound(const std::string& relative, const std::vector<int16_t>& samples,
                                   const scenario_writer::SoundFileSpec& fileSpec) {
  scenario_writer::Bytes bytes = scenario_writer::WriteSoundFile(fileSpec, samples);
  temp_.WriteFile("Data/" + relative, std::string(bytes.begin(), bytes.end()));
}
