// Type detection by the first bytes, the memory reader's end rule and the defaults every import starts from.
#include "platform/graphics/image_import.h"

#include <cstring>

#include <gtest/gtest.h>

#include "platform/graphics/decoded_image.h"
#include "tests/support/image_fixtures.h"

namespace {

Bytes WithLength(Bytes bytes, size_t size) {
  bytes.resize(size, 0);
  return bytes;
}

Bytes MinimalPictHeader(size_t size) {
  Bytes bytes(size, 0);
  bytes[514 + 5] = 10;  // bottom
  bytes[514 + 7] = 10;  // right
  bytes[530] = 0x11;
  bytes[531] = 0x01;
  return bytes;
}

struct SniffCase {
  const char* name;
  Bytes bytes;
  uint32_t type;
};

TEST(ImageTypeDetection, RecognisesEachSignatureWithinItsWindow) {
  const Bytes bmp{'B', 'M', 55, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
  const Bytes jfif{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
  const Bytes png{0x89, 'P', 'N', 'G'};
  const SniffCase cases[] = {
      {"bmp", WithLength(bmp, 16), kImageTypeBmp},
      {"bmp array header", WithLength({'B', 'A', 40, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, 16), kImageTypeBmp},
      {"bmp file size too small", WithLength({'B', 'M', 54, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}, 16), kImageTypeNone},
      {"bmp without data offset", WithLength({'B', 'M', 55, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 16), kImageTypeNone},
      {"gif87a", WithLength({'G', 'I', 'F', '8', '7', 'a'}, 16), kImageTypeGif},
      {"gif89a", WithLength({'G', 'I', 'F', '8', '9', 'a'}, 16), kImageTypeGif},
      {"gif other version", WithLength({'G', 'I', 'F', '9', '0', 'a'}, 16), kImageTypeNone},
      {"jfif", WithLength(jfif, 16), kImageTypeJpeg},
      {"exif only jpeg", WithLength({0xFF, 0xD8, 0xFF, 0xE1, 0, 16, 'E', 'x', 'i', 'f', 0}, 16), kImageTypeNone},
      {"png", WithLength(png, 16), kImageTypePng},
      {"fifteen bytes of bmp", WithLength(bmp, 15), kImageTypeNone},
      {"picture of 612 bytes", MinimalPictHeader(612), kImageTypePict},
      {"picture of 611 bytes", MinimalPictHeader(611), kImageTypeNone},
      {"picture with an empty frame", WithLength(Bytes(514, 0), 612), kImageTypeNone},
      {"empty", Bytes{}, kImageTypeNone},
  };
  for (const SniffCase& c : cases) {
    HandleCopy handle(c.bytes);
    EXPECT_EQ(PlatformDetectImageType(handle.get()), c.type) << c.name;
  }
}

TEST(ImageTypeDetection, LargeDataMatchingNoSignatureIsTriedAsPicture) {
  Bytes bytes = MinimalPictHeader(700);
  bytes[0] = 'X';
  HandleCopy handle(bytes);
  EXPECT_EQ(PlatformDetectImageType(handle.get()), kImageTypePict);
}

TEST(MemoryStreamReader, ReadsUpToTheLastByteAndRefusesOneMore) {
  Bytes bytes{1, 2, 3, 4};
  HandleCopy handle(bytes);
  MemoryStreamReader reader{handle.get(), 4, 0};
  uint8_t out[8] = {};
  EXPECT_EQ(PlatformReadMemoryStream(&reader, out, 0), kPlatformNoError);
  EXPECT_EQ(PlatformReadMemoryStream(&reader, out, 3), kPlatformNoError);
  EXPECT_EQ(reader.position, 3u);
  EXPECT_EQ(PlatformReadMemoryStream(&reader, out, 2), kPlatformErrImageData);
  EXPECT_EQ(reader.position, 3u);
  EXPECT_EQ(PlatformReadMemoryStream(&reader, out + 3, 1), kPlatformNoError);
  EXPECT_EQ(out[3], 4);
  // A length from a file near the top of the range must not wrap the end test.
  EXPECT_EQ(PlatformReadMemoryStream(&reader, out, 0xFFFFFFFFu), kPlatformErrImageData);
  reader.position = 1;
  EXPECT_EQ(PlatformReadMemoryStream(&reader, out, 0xFFFFFFFFu), kPlatformErrImageData);
  EXPECT_EQ(reader.position, 1u);
}

TEST(ImageImportDefaults, TransferModeAndImageInfoStartFromTheirDefaults) {
  TransferMode mode{7, {1, 2, 3, 4}};
  InitTransferMode(&mode);
  EXPECT_EQ(mode.kind, 0);
  EXPECT_EQ(mode.value[0], 255);
  EXPECT_EQ(mode.value[1] | mode.value[2] | mode.value[3], 0);
  ImageInfo info;
  std::memset(&info, 0x5A, sizeof(info));
  InitImageInfo(&info);
  EXPECT_EQ(info.type, 0u);
  EXPECT_EQ(info.gamma, 0.0);
  EXPECT_EQ(info.background.flag, 255);
  EXPECT_EQ(info.background.red & info.background.green & info.background.blue, 255);
  EXPECT_EQ(info.hasBackground | info.interlaced | info.reserved2, 0);
}

TEST(ImageDecodeDispatch, UnknownDataGivesNotAnImageWithOutputsCleared) {
  Bytes bytes(15, 'B');
  HandleCopy handle(bytes);
  PlatformWorld* world = reinterpret_cast<PlatformWorld*>(&bytes);
  PlatformWorld* mask = world;
  TransferMode mode{5, {0, 0, 0, 0}};
  ImageInfo info{};
  EXPECT_EQ(PlatformDecodeImage(handle.get(), &world, &mask, &mode, &info), kPlatformErrNotAnImage);
  EXPECT_EQ(world, nullptr);
  EXPECT_EQ(mask, nullptr);
  EXPECT_EQ(mode.kind, 0);
  EXPECT_EQ(info.background.flag, 255);
}

TEST(ImageDecodeDispatch, RecognisedButTruncatedDataGivesImageDataError) {
  Bytes bytes{'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0, 0, 0, 0};
  HandleCopy handle(bytes);
  DecodedImage image;
  EXPECT_EQ(DecodeImageFromHandle(handle.get(), &image, nullptr, nullptr), kPlatformErrImageData);
  PlatformWorld* world = reinterpret_cast<PlatformWorld*>(&bytes);
  EXPECT_EQ(PlatformDecodeImage(handle.get(), &world, nullptr, nullptr, nullptr), kPlatformErrImageData);
  EXPECT_EQ(world, nullptr);
}

}  // namespace
