// Pattern fill (see pattern_fill.h).
#include "platform/graphics/pattern_fill.h"

#include "platform/graphics/copy_bits.h"
#include "platform/graphics/graphics_world.h"
#include "platform/graphics/row_transfer.h"

int32_t FirstPatternIndex(int64_t v, int64_t phase, int64_t size) {
  int64_t t = v - phase;
  if (t < 0) t += ((-t + size - 1) / size) * size;  // whole pattern sizes until t is no longer negative
  const int64_t r = t % size;
  return static_cast<int32_t>(r == 0 ? 0 : size - r);
}

PlatformError PlatformPatternFill(PlatformWorld* destination, const Rect* rect, const Point* phase, uint8_t alphaFlag,
                                  PlatformWorld* pattern, PlatformWorld* maskWorld, const TransferMode* mode) {
  if (!destination || !pattern || !destination->pixelMap || !pattern->pixelMap) return kPlatformErrBadData;
  PixelMap* dst = destination->pixelMap;
  PixelMap* src = pattern->pixelMap;
  ResolvedTransfer transfer;
  PlatformError error = ResolveTransfer(dst, src, maskWorld, mode, alphaFlag, &transfer);
  if (error != kPlatformNoError || transfer.drawsNothing) return error;

  error = BeginTransfer(destination, pattern, maskWorld);
  if (error != kPlatformNoError) return error;
  const PixelMap* mask = maskWorld ? maskWorld->pixelMap : nullptr;
  const Rect& d = dst->bounds;
  Rect r = rect ? *rect : d;
  if (r.top < d.top) r.top = d.top;
  if (r.left < d.left) r.left = d.left;
  if (r.bottom > d.bottom) r.bottom = d.bottom;
  if (r.right > d.right) r.right = d.right;
  const int64_t patH = src->bounds.Height();
  const int64_t patW = src->bounds.Width();
  if (!Rect::IsEmpty(&r) && patH > 0 && patW > 0) {
    const Point origin = phase ? *phase : Point{0, 0};
    RowTransferArgs args{};
    args.destination = dst;
    args.source = src;
    args.mask = mask;
    args.firstPatternRow = FirstPatternIndex(r.top, origin.y, patH);
    args.firstPatternColumn = FirstPatternIndex(r.left, origin.x, patW);
    args.patternHeight = static_cast<int32_t>(patH);
    args.patternWidth = static_cast<int32_t>(patW);
    args.rows = static_cast<int32_t>(r.Height());
    args.columns = static_cast<int32_t>(r.Width());
    args.destinationStart = dst->baseAddress + (static_cast<int64_t>(r.top) - d.top) * dst->rowBytes +
                            (static_cast<int64_t>(r.left) - d.left) * dst->bytesPerPixel;
    args.sourceStart = src->baseAddress + static_cast<int64_t>(args.firstPatternRow) * src->rowBytes +
                       static_cast<int64_t>(args.firstPatternColumn) * src->bytesPerPixel;
    args.maskStart =
        mask ? mask->baseAddress + static_cast<int64_t>(args.firstPatternRow) * mask->rowBytes + args.firstPatternColumn
             : nullptr;
    if (dst->bytesPerPixel == 1) {
      args.destinationPalette = dst->palette.entries;
      args.destinationInverseTable = dst->inverseTable;
    }
    if (src->bytesPerPixel == 1) args.sourcePalette = src->palette.entries;
    args.value = RowRoutineValue(transfer, mode, src);
    const int slot = transfer.kind == kTransferCopy ? kRowSlotTiledCopy + CopyRoutineIndex(dst, src, transfer.rule)
                                                    : kRowSlotTiledBlend + 3 * (transfer.kind - 1) + transfer.rule;
    RowRoutineTable[slot](args);
  }
  EndTransfer(destination, pattern, maskWorld);
  return kPlatformNoError;
}
