// JPEG import: files written at test time by libjpeg, decoded back through the memory source, and damaged ones.
#include "platform/graphics/jpeg_import.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/image_fixtures.h"

namespace {

Bytes Solid(uint32_t width, uint32_t height, std::initializer_list<uint8_t> sample) {
  Bytes out;
  for (uint32_t i = 0; i < width * height; ++i) out.insert(out.end(), sample.begin(), sample.end());
  return out;
}

void ExpectPixelNear(const DecodedImage& image, int32_t x, int32_t y, uint32_t argb) {
  const uint32_t pixel = PixelAt(image, x, y);
  EXPECT_EQ(pixel >> 24, 255u) << x << "," << y;
  for (int shift : {16, 8, 0}) {
    const int got = static_cast<int>(pixel >> shift & 0xFF);
    const int want = static_cast<int>(argb >> shift & 0xFF);
    EXPECT_LE(std::abs(got - want), 4) << x << "," << y << " channel at bit " << shift;
  }
}

TEST(JpegImport, ColourImageBecomesOpaqueAlphaRedGreenBlueRows) {
  DecodedImage image;
  ImageInfo info;
  TransferMode mode;
  ASSERT_EQ(DecodeBytes(EncodeJpeg(16, 8, 3, Solid(16, 8, {200, 100, 50})), &image, &mode, &info),
            kPlatformNoError);
  EXPECT_EQ(image.formatCode, kImageFormat32);
  EXPECT_EQ(image.Width(), 16);
  EXPECT_EQ(image.Height(), 8);
  ExpectPixelNear(image, 0, 0, 0xC86432);
  ExpectPixelNear(image, 15, 7, 0xC86432);
  EXPECT_FALSE(image.hasTransparency);
  EXPECT_EQ(info.type, kImageTypeJpeg);
  EXPECT_DOUBLE_EQ(info.gamma, 1.0);
  EXPECT_EQ(mode.kind, kTransferCopy);
}

TEST(JpegImport, GreyImageGivesEqualRedGreenBlue) {
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(EncodeJpeg(8, 8, 1, Solid(8, 8, {90})), &image), kPlatformNoError);
  const uint32_t pixel = PixelAt(image, 3, 3);
  EXPECT_EQ(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF);
  EXPECT_EQ(pixel >> 8 & 0xFF, pixel & 0xFF);
  ExpectPixelNear(image, 3, 3, 0x5A5A5A);
}

TEST(JpegImport, DataEndingInsideTheCompressedStreamStillDecodes) {
  Bytes samples;
  for (uint32_t i = 0; i < 64 * 64; ++i) {
    samples.push_back(static_cast<uint8_t>(i * 13));
    samples.push_back(static_cast<uint8_t>(i >> 4));
    samples.push_back(static_cast<uint8_t>(i * 7 + 3));
  }
  Bytes file = EncodeJpeg(64, 64, 3, samples);
  file.resize(file.size() * 2 / 3);
  DecodedImage image;
  ASSERT_EQ(DecodeBytes(file, &image), kPlatformNoError);
  EXPECT_EQ(image.Width(), 64);
  EXPECT_EQ(image.Height(), 64);
}

struct HostileCase {
  const char* name;
  Bytes bytes;
  PlatformError error;
};

TEST(JpegImport, DamagedFilesGiveErrors) {
  const Bytes good = EncodeJpeg(8, 8, 3, Solid(8, 8, {1, 2, 3}));
  Bytes exif = good;
  std::copy_n("Exif", 4, exif.begin() + 6);
  Bytes huge = good;
  // The frame header (0xFFC0) holds the height and width behind its length and precision.
  for (size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = 0xFF;
      huge[i + 6] = 0x00;
      huge[i + 7] = 0xFF;
      huge[i + 8] = 0x00;
      break;
    }
  }
  Bytes noImage(good.begin(), good.begin() + 20);
  Bytes garbage = good;
  for (size_t i = 20; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 37);
  const HostileCase cases[] = {
      {"Exif without JFIF", exif, kPlatformErrNotAnImage},
      {"frame beyond the pixel ceiling", huge, kPlatformErrImageData},
      {"cut inside the markers", noImage, kPlatformErrImageData},
      {"garbage behind the JFIF segment", garbage, kPlatformErrImageData},
  };
  for (const HostileCase& c : cases) {
    DecodedImage image;
    EXPECT_EQ(DecodeBytes(c.bytes, &image), c.error) << c.name;
  }
}

}  // namespace
