// The host sound device: buffer rules, duplicates sharing memory, mixing of several buffers, the audio thread
// of the SDL dummy driver feeding the mixer, and the opener of web addresses.
#include "host/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "host/shell.h"
#include "host/testing.h"
#include "host/testing_sound.h"

namespace {

WAVEFORMATEX Format(DWORD rate, WORD bits, WORD channels = 1) {
  const WORD align = static_cast<WORD>(channels * bits / 8);
  return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

class SoundDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestHoldAudio(true);
    ASSERT_EQ(DirectSoundCreate8(nullptr, &device_, nullptr), DS_OK);
    ASSERT_EQ(device_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
  }
  void TearDown() override {
    if (device_ != nullptr) device_->Release();
    HostTestHoldAudio(false);
  }

  // A 16-bit mono buffer at 44,100 Hz holding the samples.
  IDirectSoundBuffer* Buffer(const std::vector<int16_t>& samples) {
    WAVEFORMATEX format = Format(44100, 16);
    DSBUFFERDESC description{sizeof(DSBUFFERDESC), 0, static_cast<DWORD>(samples.size() * 2), 0, &format, {}};
    IDirectSoundBuffer* buffer = nullptr;
    if (device_->CreateSoundBuffer(&description, &buffer, nullptr) != DS_OK) return nullptr;
    void* part1 = nullptr;
    DWORD bytes1 = 0;
    buffer->Lock(0, 0, &part1, &bytes1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    std::memcpy(part1, samples.data(), bytes1);
    buffer->Unlock(part1, bytes1, nullptr, 0);
    return buffer;
  }

  IDirectSound8* device_ = nullptr;
};

TEST_F(SoundDeviceTest, BufferDescriptionsAreChecked) {
  struct Case {
    const char* what;
    DWORD size;
    DWORD flags;
    DWORD bytes;
    WAVEFORMATEX format;
    HRESULT expected;
  };
  const Case cases[] = {
      {"plain", sizeof(DSBUFFERDESC), 0, 100, Format(22050, 16), DS_OK},
      {"stereo 8-bit", sizeof(DSBUFFERDESC), 0, 100, Format(8000, 8, 2), DS_OK},
      {"the 32-bit size", 36, 0, 100, Format(22050, 16), DSERR_INVALIDPARAM},
      {"no bytes", sizeof(DSBUFFERDESC), 0, 0, Format(22050, 16), DSERR_INVALIDPARAM},
      {"half a sample", sizeof(DSBUFFERDESC), 0, 101, Format(22050, 16), DSERR_INVALIDPARAM},
      {"24-bit", sizeof(DSBUFFERDESC), 0, 99, Format(22050, 24), DSERR_BADFORMAT},
      {"rate 0", sizeof(DSBUFFERDESC), 0, 100, Format(0, 16), DSERR_BADFORMAT},
      {"rate too high", sizeof(DSBUFFERDESC), 0, 100, Format(192001, 16), DSERR_BADFORMAT},
      {"primary with bytes", sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 100, Format(22050, 16), DSERR_INVALIDPARAM},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX format = c.format;
    DSBUFFERDESC description{c.size, c.flags, c.bytes, 0, &format, {}};
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(device_->CreateSoundBuffer(&description, &buffer, nullptr), c.expected) << c.what;
    EXPECT_EQ(buffer != nullptr, c.expected == DS_OK) << c.what;
    if (buffer != nullptr) buffer->Release();
  }
}

TEST_F(SoundDeviceTest, PrimaryBufferTakesTheDeviceFormat) {
  DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, {}};
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
  WAVEFORMATEX format = Format(44100, 16);
  EXPECT_EQ(primary->SetFormat(&format), DS_OK);
  EXPECT_NE(primary->Play(0, 0, 0), DS_OK);
  primary->Release();
}

TEST_F(SoundDeviceTest, BuffersMixAndDuplicatesShareMemory) {
  IDirectSoundBuffer* first = Buffer(std::vector<int16_t>(10, 1000));
  ASSERT_NE(first, nullptr);
  IDirectSoundBuffer* twin = nullptr;
  ASSERT_EQ(device_->DuplicateSoundBuffer(first, &twin), DS_OK);
  IDirectSoundBuffer* loud = Buffer(std::vector<int16_t>(5, 32000));
  ASSERT_EQ(first->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(twin->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(loud->Play(0, 0, 0), DS_OK);
  DWORD status = 0;
  twin->GetStatus(&status);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
  std::vector<int16_t> out = HostTestMixAudio(12);
  EXPECT_EQ(out[0], 32767);  // clamped
  EXPECT_EQ(out[5], 2000);
  EXPECT_EQ(out[10], 0);
  twin->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  // The twin plays what was written through the first.
  void* part1 = nullptr;
  DWORD bytes1 = 0;
  ASSERT_EQ(first->Lock(0, 4, &part1, &bytes1, nullptr, nullptr, 0), DS_OK);
  const int16_t changed[2] = {-5, -5};
  std::memcpy(part1, changed, 4);
  first->Unlock(part1, bytes1, nullptr, 0);
  twin->Play(0, 0, 0);
  EXPECT_EQ(HostTestMixAudio(1)[0], -5);
  twin->Stop();
  EXPECT_EQ(first->Lock(16, 8, &part1, &bytes1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
  loud->Release();
  twin->Release();
  first->Release();
}

TEST_F(SoundDeviceTest, LoopingBufferWrapsUntilStopped) {
  IDirectSoundBuffer* buffer = Buffer({1, 2, 3});
  ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(HostTestMixAudio(7), (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1}));
  buffer->Stop();
  EXPECT_EQ(HostTestMixAudio(2), (std::vector<int16_t>{0, 0}));
  buffer->Release();
}

TEST_F(SoundDeviceTest, AudioThreadFeedsTheMixer) {
  ASSERT_TRUE(HostTestAudioOutputOpen());
  IDirectSoundBuffer* buffer = Buffer(std::vector<int16_t>(44100, 1234));
  HostTestClearMixerOutput();
  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
  HostTestHoldAudio(false);
  // The dummy driver's thread mixes in real time: wait (a bounded while) for the first block it produces.
  bool heard = false;
  for (int wait = 0; wait < 500 && !heard; ++wait) {
    std::vector<int16_t> out = HostTestMixerOutput();
    heard = std::find(out.begin(), out.end(), 1234) != out.end();
    if (!heard) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(heard);
  buffer->Stop();
  buffer->Release();
}

TEST(SoundDeviceRefusedTest, NoDeviceIsReported) {
  HostTestRefuseAudioDevice(true);
  IDirectSound8* device = reinterpret_cast<IDirectSound8*>(1);
  EXPECT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(device, nullptr);
  HostTestRefuseAudioDevice(false);
}

TEST(ShellExecuteTest, OnlyWebAndMailAddressesAreOpened) {
  HostTestCaptureAddresses(true);
  HostTestClearOpenedAddresses();
  struct Case {
    const char* address;
    bool opened;
  };
  const Case cases[] = {
      {"http://example.org", true},      {"HTTPS://example.org", true}, {"mailto:a@example.org", true},
      {"file:///etc/passwd", false},     {"/usr/bin/xterm", false},     {"--help", false},
      {"javascript:alert(1)", false},    {"http://a\nb", false},        {"", false},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    const auto result = reinterpret_cast<uintptr_t>(ShellExecuteA(nullptr, nullptr, c.address, nullptr, "c:\\",
                                                                  SW_SHOWNORMAL));
    EXPECT_EQ(result > 32, c.opened) << c.address;
    if (c.opened) expected.emplace_back(c.address);
  }
  EXPECT_EQ(HostTestOpenedAddresses(), expected);
  HostTestClearOpenedAddresses();
}

}  // namespace
