// The sound file reader: rates in 80-bit form, the IMA decoder against a worked vector, sample conversion, and
// every kind of file it must refuse.
#include "game/shell/media/aiff_sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tools/scenario_writer/sound_files.h"

namespace {

using scenario_writer::Bytes;
using scenario_writer::SoundFileSpec;
using scenario_writer::WriteSoundFile;

std::vector<int16_t> Pcm16(const AiffSound& sound) {
  std::vector<int16_t> samples(sound.pcm.size() / 2);
  std::memcpy(samples.data(), sound.pcm.data(), samples.size() * 2);
  return samples;
}

void PutBig32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Offset of a chunk's id in a written file.
size_t ChunkAt(const Bytes& bytes, const char* id) {
  for (size_t i = 12; i + 4 <= bytes.size(); ++i) {
    if (std::memcmp(bytes.data() + i, id, 4) == 0) return i;
  }
  return 0;
}

TEST(AiffSoundTest, RateOf22050IsExact) {
  uint8_t extended[10];
  scenario_writer::EncodeExtended(22050.0, extended);
  const uint8_t expected[10] = {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(extended, expected, 10), 0);
  EXPECT_EQ(ExtendedToDouble(expected), 22050.0);

  const Bytes file = WriteSoundFile({}, {1, 2, 3});
  AiffSound sound;
  ASSERT_EQ(ReadAiffSound(file.data(), file.size(), sound), kPlatformNoError);
  EXPECT_EQ(sound.samplesPerSecond, 22050u);
}

TEST(AiffSoundTest, ExtendedEdgeValues) {
  const uint8_t zero[10] = {};
  const uint8_t infinite[10] = {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  const uint8_t negativeOne[10] = {0xBF, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ExtendedToDouble(zero), 0.0);
  EXPECT_TRUE(std::isinf(ExtendedToDouble(infinite)));
  EXPECT_EQ(ExtendedToDouble(negativeOne), -1.0);
}

// Worked by hand from the step and index tables: the state carries from the first packet into the second, and
// neither header is decoded.
TEST(AiffSoundTest, Ima4PacketsDecodeAsOneStream) {
  std::vector<uint8_t> packets(68, 0);
  packets[0] = 0x12;  // headers that would change everything if they were used
  packets[1] = 0x34;
  const uint8_t first[] = {0x77, 0xF0, 0x08, 0x80, 0x33};
  std::memcpy(&packets[2], first, sizeof first);
  packets[34] = 0x7F;
  packets[35] = 0x7F;
  packets[36] = 0x7F;
  packets[37] = 0x77;
  std::vector<int16_t> out(128);
  DecodeIma4Packets(packets.data(), 2, out.data());
  const int16_t expectedFirst[] = {11, 41, 45, -11, -19, -12, -6, -12, 26, 61};
  for (size_t i = 0; i < std::size(expectedFirst); ++i) EXPECT_EQ(out[i], expectedFirst[i]) << i;
  const int16_t expectedSecond[] = {84, 114, 177, 313};
  for (size_t i = 0; i < std::size(expectedSecond); ++i) EXPECT_EQ(out[64 + i], expectedSecond[i]) << i;
}

TEST(AiffSoundTest, Ima4FileGives64SamplesPerPacketAndFollowsTheSignal) {
  const std::vector<int16_t> tone = scenario_writer::ToneSamples(440.0, 8000.0, 22050.0, 64 * 5);
  SoundFileSpec fileSpec;
  fileSpec.form = "AIFC";
  fileSpec.compression = "ima4";
  Bytes file = WriteSoundFile(fileSpec, tone);
  // A partial packet at the end is not read.
  file.insert(file.end(), {1, 2, 3});
  PutBig32(file, ChunkAt(file, "SSND") + 4, static_cast<uint32_t>(8 + 5 * 34 + 3));
  PutBig32(file, 4, static_cast<uint32_t>(file.size() - 8));
  AiffSound sound;
  ASSERT_EQ(ReadAiffSound(file.data(), file.size(), sound), kPlatformNoError);
  EXPECT_EQ(sound.bitsPerSample, 16);
  const std::vector<int16_t> decoded = Pcm16(sound);
  ASSERT_EQ(decoded.size(), 64u * 5);
  for (size_t i = 32; i < decoded.size(); ++i) EXPECT_NEAR(decoded[i], tone[i], 700) << i;
}

// Writers of IMA sound put 4 or 16 in the sample-size field (or other numbers): it decides nothing.
TEST(AiffSoundTest, Ima4SoundDecodesWhateverItsSampleSizeSays) {
  const std::vector<int16_t> tone = scenario_writer::ToneSamples(660.0, 6000.0, 22050.0, 64 * 3);
  SoundFileSpec reference;
  reference.form = "AIFC";
  reference.compression = "ima4";
  const Bytes referenceFile = WriteSoundFile(reference, tone);
  std::vector<int16_t> expected(64 * 3);
  DecodeIma4Packets(referenceFile.data() + ChunkAt(referenceFile, "SSND") + 16, 3, expected.data());
  for (uint16_t stated : {4, 16, 0, 8, 12}) {
    SoundFileSpec fileSpec = reference;
    fileSpec.bitsPerSample = stated;
    const Bytes file = WriteSoundFile(fileSpec, tone);
    AiffSound sound;
    ASSERT_EQ(ReadAiffSound(file.data(), file.size(), sound), kPlatformNoError) << stated;
    EXPECT_EQ(sound.bitsPerSample, 16) << stated;
    EXPECT_EQ(Pcm16(sound), expected) << stated;
  }
}

TEST(AiffSoundTest, SixteenBitSamplesTurnToMachineOrder) {
  for (const char* form : {"AIFF", "AIFC"}) {
    SoundFileSpec fileSpec;
    fileSpec.form = form;
    Bytes file = WriteSoundFile(fileSpec, {0x0102, -2, 32767, -32768});
    AiffSound sound;
    ASSERT_EQ(ReadAiffSound(file.data(), file.size(), sound), kPlatformNoError) << form;
    EXPECT_EQ(Pcm16(sound), (std::vector<int16_t>{0x0102, -2, 32767, -32768})) << form;
  }
}

TEST(AiffSoundTest, EightBitSamplesFlipTheirSign) {
  SoundFileSpec fileSpec;
  fileSpec.bitsPerSample = 8;
  // High bytes 0x00, 0x7F, 0x80, 0xFF: 0, 127, -128, -1 as signed samples.
  Bytes file = WriteSoundFile(fileSpec, {0x0000, 0x7F00, static_cast<int16_t>(0x8000), static_cast<int16_t>(0xFF00)});
  AiffSound sound;
  ASSERT_EQ(ReadAiffSound(file.data(), file.size(), sound), kPlatformNoError);
  EXPECT_EQ(sound.bitsPerSample, 8);
  EXPECT_EQ(sound.pcm, (std::vector<uint8_t>{128, 255, 0, 127}));
}

// Two files set down byte by byte from the layout: an AIFF-C one whose COMM chunk has an odd size (no pad byte
// follows it) and 16-bit samples, and a plain AIFF one of 8-bit samples.
TEST(AiffSoundTest, HandWrittenFilesReadFieldByField) {
  const Bytes compressedForm = {
      'F', 'O', 'R', 'M', 0, 0, 0, 61, 'A', 'I', 'F', 'C',
      'C', 'O', 'M', 'M', 0, 0, 0, 27,  // chunk of 27 bytes
      0, 1, 0, 0, 0, 3, 0, 16,  // 1 channel, 3 frames, 16 bits
      0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0,  // 22,050 a second
      'N', 'O', 'N', 'E', 4, 'n', 'o', 'n', 'e',  // type and name
      'S', 'S', 'N', 'D', 0, 0, 0, 14, 0, 0, 0, 0, 0, 0, 0, 0,  // offset, block size
      0x01, 0x02, 0xFF, 0xFE, 0x80, 0x00};  // 258, -2, -32768
  AiffSound sound;
  ASSERT_EQ(ReadAiffSound(compressedForm.data(), compressedForm.size(), sound), kPlatformNoError);
  EXPECT_EQ(sound.channels, 1);
  EXPECT_EQ(sound.bitsPerSample, 16);
  EXPECT_EQ(sound.samplesPerSecond, 22050u);
  EXPECT_EQ(Pcm16(sound), (std::vector<int16_t>{258, -2, -32768}));

  const Bytes plainForm = {
      'F', 'O', 'R', 'M', 0, 0, 0, 48, 'A', 'I', 'F', 'F',
      'C', 'O', 'M', 'M', 0, 0, 0, 18, 0, 1, 0, 0, 0, 2, 0, 8,  // 1 channel, 2 frames, 8 bits
      0x40, 0x0C, 0xAC, 0x44, 0, 0, 0, 0, 0, 0,  // 11,025 a second
      'S', 'S', 'N', 'D', 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80};  // signed 0 and -128
  ASSERT_EQ(ReadAiffSound(plainForm.data(), plainForm.size(), sound), kPlatformNoError);
  EXPECT_EQ(sound.channels, 1);
  EXPECT_EQ(sound.bitsPerSample, 8);
  EXPECT_EQ(sound.samplesPerSecond, 11025u);
  EXPECT_EQ(sound.pcm, (std::vector<uint8_t>{128, 0}));
}

TEST(AiffSoundTest, ChunksAreFoundPastOthers) {
  Bytes file = WriteSoundFile({}, {5, 6});
  // An unknown chunk of odd size in front of COMM.
  const Bytes extra = {'A', 'N', 'N', 'O', 0, 0, 0, 3, 'a', 'b', 'c'};
  file.insert(file.begin() + 12, extra.begin(), extra.end());
  PutBig32(file, 4, static_cast<uint32_t>(file.size() - 8));
  AiffSound sound;
  ASSERT_EQ(ReadAiffSound(file.data(), file.size(), sound), kPlatformNoError);
  EXPECT_EQ(Pcm16(sound), (std::vector<int16_t>{5, 6}));
}

struct Refusal {
  const char* what;
  void (*damage)(Bytes& file);
};

void SetRate(Bytes& file, double rate) {
  uint8_t extended[10];
  scenario_writer::EncodeExtended(rate, extended);
  std::memcpy(&file[ChunkAt(file, "COMM") + 16], extended, 10);
}

const Refusal kRefusals[] = {
    {"form type", [](Bytes& f) { std::memcpy(&f[8], "WAVE", 4); }},
    {"stereo", [](Bytes& f) { f[ChunkAt(f, "COMM") + 9] = 2; }},
    {"no channels", [](Bytes& f) { f[ChunkAt(f, "COMM") + 9] = 0; }},
    {"24-bit samples", [](Bytes& f) { f[ChunkAt(f, "COMM") + 15] = 24; }},
    {"rate 0", [](Bytes& f) { SetRate(f, 0.0); }},
    {"rate above 192000", [](Bytes& f) { SetRate(f, 192001.0); }},
    {"negative rate", [](Bytes& f) { SetRate(f, -22050.0); }},
    {"infinite rate", [](Bytes& f) { f[ChunkAt(f, "COMM") + 16] = 0x7F, f[ChunkAt(f, "COMM") + 17] = 0xFF; }},
    {"no COMM", [](Bytes& f) { std::memcpy(&f[ChunkAt(f, "COMM")], "COMX", 4); }},
    {"no SSND", [](Bytes& f) { std::memcpy(&f[ChunkAt(f, "SSND")], "SSNX", 4); }},
    {"short COMM", [](Bytes& f) { PutBig32(f, ChunkAt(f, "COMM") + 4, 10); }},
    {"SSND shorter than its offsets", [](Bytes& f) { PutBig32(f, ChunkAt(f, "SSND") + 4, 4); }},
    {"SSND past the file", [](Bytes& f) { PutBig32(f, ChunkAt(f, "SSND") + 4, 0x7FFFFFF0); }},
    {"COMM past the file", [](Bytes& f) { PutBig32(f, ChunkAt(f, "COMM") + 4, 0xFFFFFFF0); }},
    {"cut inside SSND", [](Bytes& f) { f.resize(f.size() - 1); }},
    {"cut inside the header", [](Bytes& f) { f.resize(10); }},
    {"no samples", [](Bytes& f) { PutBig32(f, ChunkAt(f, "SSND") + 4, 8), f.resize(ChunkAt(f, "SSND") + 16); }},
};

TEST(AiffSoundTest, RefusesWhatItCannotPlay) {
  for (const Refusal& refusal : kRefusals) {
    Bytes file = WriteSoundFile({}, {100, 200, 300, 400});
    refusal.damage(file);
    AiffSound sound;
    sound.channels = 9;
    EXPECT_EQ(ReadAiffSound(file.data(), file.size(), sound), kSoundFileRefused) << refusal.what;
    EXPECT_TRUE(sound.pcm.empty()) << refusal.what;
    EXPECT_EQ(sound.channels, 0) << refusal.what;
  }
}

TEST(AiffSoundTest, RefusesOtherCompressions) {
  for (const char* compression : {"ulaw", "sowt", "MAC3", "ima3"}) {
    SoundFileSpec fileSpec;
    fileSpec.form = "AIFC";
    fileSpec.compression = compression;
    Bytes file = WriteSoundFile(fileSpec, {1, 2});
    AiffSound sound;
    EXPECT_EQ(ReadAiffSound(file.data(), file.size(), sound), kSoundFileRefused) << compression;
  }
}

}  // namespace
