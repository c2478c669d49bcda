// The transfers' whole-row steps: every set this processor runs gives the bytes of the plain steps, for every
// raster operation that leaves the pattern out and every length from 1 to 67 pixels; and transfers that take the
// row steps draw what the pixel-by-pixel path draws.
#include <gtest/gtest.h>

#include <vector>

#include "gdi_test_helpers.h"
#include "host/src/gdi_rows.h"
#include "tests/support/random_pixels.h"

namespace {

using host::gdi::RowIsa;
using host::gdi::RowSteps;
using host::gdi::RowStepsFor;
using test_support::RandomPixels;

TEST(GdiRows, EverySetGivesThePlainBytes) {
  const RowSteps& plain = *RowStepsFor(RowIsa::kPlain);
  RandomPixels random(17);
  for (RowIsa isa : {RowIsa::kSse2, RowIsa::kAvx2}) {
    const RowSteps* fast = RowStepsFor(isa);
    if (fast == nullptr) continue;
    for (size_t pixels = 1; pixels <= 67; ++pixels) {
      // Exactly as many bytes as the row holds, so that a step reading or writing past it shows.
      const std::vector<uint8_t> from = random.Bytes(pixels * 3);
      std::vector<uint32_t> expected(pixels), actual(pixels);
      plain.widen24(expected.data(), from.data(), pixels);
      fast->widen24(actual.data(), from.data(), pixels);
      ASSERT_EQ(expected, actual) << "widen, set " << static_cast<int>(isa) << ", " << pixels << " pixels";
      for (int terms = 0; terms < 16; ++terms) {
        const auto index = static_cast<uint8_t>(terms << 4 | terms);
        const std::vector<uint8_t> source = random.Bytes(pixels * 4);
        std::vector<uint8_t> plainRow = random.Bytes(pixels * 4);
        std::vector<uint8_t> fastRow = plainRow;
        plain.rop(index, plainRow.data(), source.data(), plainRow.size());
        fast->rop(index, fastRow.data(), source.data(), fastRow.size());
        ASSERT_EQ(plainRow, fastRow) << "operation " << int{index} << ", set " << static_cast<int>(isa);
      }
    }
  }
}

// Each bit of a plain step's result follows the operation's truth table.
TEST(GdiRows, PlainOperationFollowsItsTruthTable) {
  const RowSteps& plain = *RowStepsFor(RowIsa::kPlain);
  for (int terms = 0; terms < 16; ++terms) {
    uint8_t dst[4] = {0x00, 0xFF, 0x00, 0xFF};
    const uint8_t src[4] = {0x00, 0x00, 0xFF, 0xFF};
    plain.rop(static_cast<uint8_t>(terms << 4 | terms), dst, src, 4);
    for (int n = 0; n < 4; ++n) {
      const bool s = n & 2, d = n & 1;
      EXPECT_EQ(dst[s * 2 + d], (terms >> n) & 1 ? 0xFF : 0x00) << "operation " << terms << ", s " << s << " d " << d;
    }
  }
}

// A 24-bit DIB drawn onto a 32-bit surface with SRCCOPY and with SRCPAINT, at an odd offset and clipped at the
// right, gives the words the rules give pixel by pixel.
TEST(GdiRows, DibOntoSurfaceTakesTheRowSteps) {
  constexpr int kWidth = 37, kHeight = 3;
  RandomPixels random(3);
  const size_t stride = (kWidth * 3 + 3) / 4 * 4;
  const std::vector<uint8_t> bits = random.Bytes(stride * kHeight);
  for (DWORD rop : {SRCCOPY, SRCPAINT, SRCINVERT}) {
    gdi_test::Surface surface(40, 4);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 40; ++x) surface.pixels()[size_t(y) * 40 + x] = static_cast<uint32_t>(random.Next());
    }
    const std::vector<uint32_t> before = surface.pixels();
    gdi_test::DibInfo info(kWidth, -kHeight, 24);
    ASSERT_EQ(StretchDIBits(surface.dc(), 5, 1, kWidth, kHeight, 0, 0, kWidth, kHeight, bits.data(), info.get(),
                            DIB_RGB_COLORS, rop),
              kHeight);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 40; ++x) {
        uint32_t expected = before[size_t(y) * 40 + x];
        if (y >= 1 && x >= 5) {
          const uint8_t* p = &bits[size_t(y - 1) * stride + size_t(x - 5) * 3];
          const uint32_t s = p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
          expected = rop == SRCCOPY ? s : rop == SRCPAINT ? (s | expected) : (s ^ expected);
        }
        ASSERT_EQ(surface.At(x, y), expected) << "operation " << rop << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
