// Plain PCM AIFF files read by the media calls themselves: for each file the writer makes, the samples and results
// of opening it are those of the media decoders, and only 16-bit uncompressed files at 44,100 Hz open while the
// decoders are missing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/media.h"
#include "host/testing.h"
#include "host/testing_sound.h"
#include "tests/support/temp_folder.h"
#include "tools/scenario_writer/sound_files.h"

namespace {

namespace sw = scenario_writer;

// What opening a file gave: its result and, when it opened, every sample it mixes (and a few of silence after).
struct Opened {
  OSErr result = noErr;
  std::vector<int16_t> mixed;
  bool operator==(const Opened& other) const { return result == other.result && mixed == other.mixed; }
};

// Interleaved samples that walk the whole 16-bit range in both channels, odd and even sums and both signs.
std::vector<int16_t> Walk(size_t frames, int channels) {
  std::vector<int16_t> samples;
  for (size_t i = 0; i < frames; ++i) {
    samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(i * 7919u)));
    if (channels == 2) samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(i * 104729u + 3u)));
  }
  samples[0] = -32768;
  samples[1] = channels == 2 ? -32768 : 32767;
  return samples;
}

sw::Bytes SoundFile(const char* form, const char* compression, uint16_t channels, uint16_t bits, double rate,
                    size_t frames) {
  sw::SoundFileSpec fileSpec;
  fileSpec.form = form;
  fileSpec.compression = compression;
  fileSpec.channels = channels;
  fileSpec.bitsPerSample = bits;
  fileSpec.samplesPerSecond = rate;
  return sw::WriteSoundFile(fileSpec, Walk(frames, channels));
}

sw::Bytes Cut(sw::Bytes bytes, size_t keep) {
  bytes.resize(std::min(bytes.size(), keep));
  return bytes;
}

class PcmAiffTest : public testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestHoldAudio(true);
    InitializeQTML(0);
  }
  void TearDown() override {
    HostTestDecodeEveryFile(false);
    HostTestHideMediaLibraries(false);
    TerminateQTML();
    HostTestHoldAudio(false);
  }

  Opened Open(const sw::Bytes& bytes) {
    temp_.WriteFile("sound.aiff", std::string(bytes.begin(), bytes.end()));
    const std::string path = temp_.WindowsPath("sound.aiff");
    uint8_t counted[256];
    counted[0] = static_cast<uint8_t>(path.size());
    std::memcpy(counted + 1, path.data(), path.size());
    FSSpec fileSpec;
    int16_t file = 0;
    Opened opened;
    if (FSMakeFSSpec(0, 0, counted, &fileSpec) != noErr || OpenMovieFile(&fileSpec, &file, fsRdPerm) != noErr) {
      opened.result = fnfErr;
      return opened;
    }
    Movie movie = nullptr;
    opened.result = NewMovieFromFile(&movie, file, nullptr, nullptr, newMovieActive, nullptr);
    CloseMovieFile(file);
    if (movie == nullptr) return opened;
    StartMovie(movie);
    opened.mixed = HostTestMixAudio(static_cast<int>(bytes.size()) + 16);
    DisposeMovie(movie);
    return opened;
  }

  TempFolder temp_;
};

TEST_F(PcmAiffTest, PlainFilesReadAsTheDecodersReadThem) {
  const sw::Bytes mono = SoundFile("AIFF", "NONE", 1, 16, 44100.0, 3000);
  struct Case {
    const char* what;
    sw::Bytes bytes;
    bool plain;  // read without the decoders
  };
  const Case cases[] = {
      {"mono", mono, true},
      {"stereo", SoundFile("AIFF", "NONE", 2, 16, 44100.0, 3000), true},
      {"compressed form, none", SoundFile("AIFC", "NONE", 1, 16, 44100.0, 3000), true},
      {"compressed form, twos", SoundFile("AIFC", "twos", 2, 16, 44100.0, 3000), true},
      {"22,050 Hz", SoundFile("AIFF", "NONE", 1, 16, 22050.0, 3000), false},
      {"48,000 Hz stereo", SoundFile("AIFF", "NONE", 2, 16, 48000.0, 3000), false},
      {"8-bit", SoundFile("AIFF", "NONE", 1, 8, 44100.0, 3000), false},
      {"ima4", SoundFile("AIFC", "ima4", 1, 16, 44100.0, 3008), false},
      {"little-endian", SoundFile("AIFC", "sowt", 1, 16, 44100.0, 3000), false},
      {"truncated samples", Cut(mono, mono.size() - 101), false},
      {"truncated format", Cut(mono, 30), false},
      {"form only", Cut(mono, 12), false},
      {"not a sound", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}, false},
  };
  for (const Case& c : cases) {
    HostTestDecodeEveryFile(true);
    const Opened decoded = Open(c.bytes);
    HostTestDecodeEveryFile(false);
    const Opened read = Open(c.bytes);
    EXPECT_TRUE(read == decoded) << c.what << ": " << read.result << " against " << decoded.result;
    if (c.plain) {
      EXPECT_EQ(read.result, noErr) << c.what;
    }
    // Without the decoders only the plain files open; the others fail as they would without any reading.
    HostTestHideMediaLibraries(true);
    const Opened hidden = Open(c.bytes);
    HostTestHideMediaLibraries(false);
    EXPECT_EQ(hidden.result, c.plain ? noErr : cantFindHandler) << c.what;
    if (c.plain) {
      EXPECT_TRUE(hidden == decoded) << c.what;
    }
  }
}

}  // namespace
