// The row forms of copy bits' copies against the pixel-by-pixel routines they replace: whole-row copies, 8-bit
// look-up tables, widening of 2-byte pixels (every vector set this processor runs) and scaled copies, on random
// pixels of every width from 1 to 67.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/graphics/copy_bits.h"
#include "platform/graphics/row_transfer.h"
#include "platform/graphics/widen_rows.h"
#include "tests/support/random_pixels.h"
#include "world_fixture.h"

namespace {

using test_support::RandomPixels;

void Randomise(PlatformWorld* world, RandomPixels& random) {
  BlitParams p;
  ASSERT_EQ(PlatformWorld::BeginDrawing(world, nullptr, &p, nullptr), kPlatformNoError);
  const std::vector<uint8_t> bytes = random.Bytes(size_t(p.rowBytes) * p.bounds.Height());
  std::memcpy(p.baseAddress, bytes.data(), bytes.size());
  PlatformWorld::EndDrawing(world, nullptr);
}

std::vector<uint8_t> Bytes(PlatformWorld* world) {
  BlitParams p;
  EXPECT_EQ(PlatformWorld::BeginDrawing(world, nullptr, &p, nullptr), kPlatformNoError);
  std::vector<uint8_t> bytes(p.baseAddress, p.baseAddress + size_t(p.rowBytes) * p.bounds.Height());
  PlatformWorld::EndDrawing(world, nullptr);
  return bytes;
}

// Runs one slot of a table as copy bits does for a transfer without clipping: the right-most `sourceWidth`
// columns of the source onto the right-most `width` columns of the destination (so that every row of the transfer
// ends where the rows of both surfaces end).
void RunSlot(const std::array<RowRoutine, kRowRoutineCount>& table, int slot, PlatformWorld* to,
             PlatformWorld* from, int32_t width, int32_t sourceWidth) {
  ASSERT_EQ(BeginTransfer(to, from, nullptr), kPlatformNoError);
  const PixelMap* dst = to->pixelMap;
  const PixelMap* src = from->pixelMap;
  const int64_t wA = width, hA = dst->bounds.Height();
  const int64_t wB = sourceWidth, hB = src->bounds.Height();
  RowTransferArgs args{};
  args.destination = dst;
  args.source = src;
  args.destinationStart = dst->baseAddress + (dst->bounds.Width() - wA) * dst->bytesPerPixel;
  args.sourceStart = src->baseAddress + (src->bounds.Width() - wB) * src->bytesPerPixel;
  args.rows = static_cast<int32_t>(hA);
  args.columns = static_cast<int32_t>(wA);
  if (wA != wB || hA != hB) {
    args.verticalError = static_cast<uint64_t>((hB >> 1) % hA);
    args.horizontalError = static_cast<uint64_t>((wB >> 1) % wA);
    args.destinationHeight = static_cast<uint64_t>(hA);
    args.destinationWidth = static_cast<uint64_t>(wA);
    args.sourceHeight = static_cast<uint64_t>(hB);
    args.sourceWidth = static_cast<uint64_t>(wB);
  }
  if (dst->bytesPerPixel == 1) {
    args.destinationPalette = dst->palette.entries;
    args.destinationInverseTable = dst->inverseTable;
  }
  if (src->bytesPerPixel == 1) args.sourcePalette = src->palette.entries;
  table[static_cast<size_t>(slot)](args);
  EndTransfer(to, from, nullptr);
}

void SetBytes(PlatformWorld* world, const std::vector<uint8_t>& bytes) {
  BlitParams p;
  ASSERT_EQ(PlatformWorld::BeginDrawing(world, nullptr, &p, nullptr), kPlatformNoError);
  std::memcpy(p.baseAddress, bytes.data(), bytes.size());
  PlatformWorld::EndDrawing(world, nullptr);
}

TEST(RowForms, CopiesGiveThePixelByPixelBytes) {
  struct Case {
    PixelFormatCode from;
    PixelFormatCode to;
    bool scaled;
  };
  const Case cases[] = {{8, 32, false},      {8, 16, false},     {8, 24, false},          {0x565, 32, false},
                        {15, 32, false},     {0x555, 0x8888, false}, {0x4444, 0x80008888, false},
                        {16, 24, false},     {32, 32, false},    {24, 24, false},         {16, 16, false},
                        {8, 8, false},       {32, 32, true},     {24, 24, true},          {8, 8, true}};
  RandomPixels random(11);
  for (const Case& c : cases) {
    // Surfaces 67 pixels wide (a scaled source 34): each width takes their right-most columns, and a scaled copy
    // stretches or shrinks the whole source onto it.
    WorldPtr fast = MakeSurface(67, 3, c.to, c.to == 8 ? &GreyPalette : nullptr);
    WorldPtr plain = MakeSurface(67, 3, c.to, c.to == 8 ? &GreyPalette : nullptr);
    WorldPtr from = MakeSurface(c.scaled ? 34 : 67, c.scaled ? 2 : 3, c.from, c.from == 8 ? &StandardPalette : nullptr);
    for (int32_t width = 1; width <= 67; ++width) {
      Randomise(from.get(), random);
      Randomise(fast.get(), random);
      SetBytes(plain.get(), Bytes(fast.get()));
      const int index = CopyRoutineIndex(fast->pixelMap, from->pixelMap, kAlphaFull);
      const int slot = c.scaled ? kRowSlotScaledCopy + index : index;
      const int32_t sourceWidth = c.scaled ? 34 : width;
      RunSlot(RowRoutineTable, slot, fast.get(), from.get(), width, sourceWidth);
      RunSlot(PlainRowRoutineTable, slot, plain.get(), from.get(), width, sourceWidth);
      ASSERT_EQ(Bytes(fast.get()), Bytes(plain.get()))
          << std::hex << c.from << " to " << c.to << (c.scaled ? " scaled" : "") << std::dec << ", width " << width;
    }
  }
}

TEST(RowForms, EveryWideningSetGivesThePlainBytes) {
  const WidenRow plain = WidenRowFor(WideningIsa::kPlain);
  // 5-6-5 into x-8-8-8, 5-5-5 into 8-8-8-8 with full alpha, 4-4-4-4 into a red-first layout.
  const WideningPlan plans[] = {{{11, 5, 0}, {31, 63, 31}, {2114, 1040, 2114}, {16, 8, 0}, 0},
                                {{10, 5, 0}, {31, 31, 31}, {2114, 2114, 2114}, {16, 8, 0}, 0xFF000000u},
                                {{8, 4, 0}, {15, 15, 15}, {4369, 4369, 4369}, {0, 8, 16}, 0xFF000000u}};
  RandomPixels random(23);
  for (WideningIsa isa : {WideningIsa::kSse2, WideningIsa::kAvx2}) {
    const WidenRow fast = WidenRowFor(isa);
    if (fast == nullptr) continue;
    for (const WideningPlan& plan : plans) {
      for (int32_t count = 1; count <= 67; ++count) {
        const std::vector<uint8_t> source = random.Bytes(size_t(count) * 2);
        std::vector<uint8_t> expected(size_t(count) * 4), actual(size_t(count) * 4);
        plain(plan, expected.data(), source.data(), count);
        fast(plan, actual.data(), source.data(), count);
        ASSERT_EQ(expected, actual) << "set " << static_cast<int>(isa) << ", " << count << " pixels";
      }
    }
  }
}

}  // namespace
