// Copy bits (see copy_bits.h).
#include "platform/graphics/copy_bits.h"

#include "platform/graphics/graphics_world.h"

namespace {

// v x num / den, exact for any 64-bit operands whose result fits, truncating toward zero.
int64_t ScaleBy(int64_t v, int64_t num, int64_t den) {
  return static_cast<int64_t>(static_cast<__int128>(v) * num / den);
}

// How many destination pixels along one axis can be drawn before the source walk leaves the source: the walk
// reads source index (error + i x step) / extent for destination index i.
int64_t FitToSource(int64_t count, int64_t available, uint64_t error, int64_t step, int64_t extent) {
  if (available <= 0) return 0;
  const __int128 limit = static_cast<__int128>(available) * extent - static_cast<__int128>(error) - 1;
  if (limit < 0) return 0;
  const __int128 fit = limit / step + 1;
  return fit < count ? static_cast<int64_t>(fit) : count;
}

// Clips one axis: the source span [bLow, bHigh) against the source bounds [sLow, sHigh), moving the matching
// destination edge by the clipped amount scaled by the extents (truncating toward zero); then the destination span
// against [dLow, dHigh) the other way round.
void ClipAxis(int64_t* aLow, int64_t* aHigh, int64_t* bLow, int64_t* bHigh, int64_t sLow, int64_t sHigh, int64_t dLow,
              int64_t dHigh, int64_t extentA, int64_t extentB) {
  if (*bLow < sLow) {
    *aLow += ScaleBy(sLow - *bLow, extentA, extentB);
    *bLow = sLow;
  }
  if (*bHigh > sHigh) {
    *aHigh -= ScaleBy(*bHigh - sHigh, extentA, extentB);
    *bHigh = sHigh;
  }
  if (*aLow < dLow) {
    *bLow += ScaleBy(dLow - *aLow, extentB, extentA);
    *aLow = dLow;
  }
  if (*aHigh > dHigh) {
    *bHigh -= ScaleBy(*aHigh - dHigh, extentB, extentA);
    *aHigh = dHigh;
  }
}

}  // namespace

PlatformError ResolveTransfer(const PixelMap* destination, const PixelMap* source, PlatformWorld* maskWorld,
                              const TransferMode* mode, uint8_t alphaFlag, ResolvedTransfer* out) {
  *out = ResolvedTransfer{kTransferCopy, kAlphaFull, 0, false};
  PlatformError maskError = kPlatformNoError;
  const PixelMap* mask = PlatformWorld::GetMaskPixelMap(maskWorld, &maskError);
  if (maskError != kPlatformNoError) return kPlatformErrBadData;  // not a mask map: its bytes are no weights
  int32_t kind = mode ? mode->kind : (maskWorld ? kTransferBlendMask : kTransferCopy);
  // An unknown kind draws nothing, and says so: success would report a copy that never happened.
  if (kind < kTransferCopy || kind > kTransferColorKey) return kPlatformErrUndefinedKind;
  const uint32_t level = mode ? mode->value[0] : 255;
  if (kind == kTransferBlendLevel || kind == kTransferBlendMaskLevel) {
    if (level == 0) {
      out->drawsNothing = true;
      return kPlatformNoError;
    }
    if (level == 255) kind = kind == kTransferBlendLevel ? kTransferCopy : kTransferBlendMask;
  }
  if ((kind == kTransferBlendMask || kind == kTransferBlendMaskLevel) && !mask) return kPlatformErrBadData;
  // The mask is read at the source's coordinates, so it must cover the whole source.
  if (mask && (mask->bounds.Width() < source->bounds.Width() || mask->bounds.Height() < source->bounds.Height())) {
    return kPlatformErrBadData;
  }
  out->kind = kind;
  out->level = level;
  if (alphaFlag && maskWorld) {
    out->rule = kAlphaCoverage;
  } else if (!alphaFlag && destination->channels.bits[kChannelAlpha] != 0) {
    out->rule = kAlphaKept;
  }
  return kPlatformNoError;
}

uint32_t RowRoutineValue(const ResolvedTransfer& transfer, const TransferMode* mode, const PixelMap* source) {
  switch (transfer.kind) {
    case kTransferBlendLevel:
    case kTransferBlendMaskLevel: return transfer.level;
    case kTransferColorKey: return source->bytesPerPixel == 1 ? mode->value[0] : mode->ValueWord();
    default: return 0;
  }
}

PlatformError BeginTransfer(PlatformWorld* destination, PlatformWorld* source, PlatformWorld* maskWorld) {
  PlatformError error = PlatformWorld::BeginDrawing(destination, nullptr, nullptr, nullptr);
  if (error != kPlatformNoError) return error;
  error = PlatformWorld::BeginDrawing(source, maskWorld, nullptr, nullptr);
  if (error != kPlatformNoError) PlatformWorld::EndDrawing(destination, nullptr);
  return error;
}

void EndTransfer(PlatformWorld* destination, PlatformWorld* source, PlatformWorld* maskWorld) {
  PlatformWorld::EndDrawing(destination, nullptr);
  PlatformWorld::EndDrawing(source, maskWorld);
}

int CopyRoutineIndex(const PixelMap* destination, const PixelMap* source, DestAlphaRule rule) {
  if (rule == kAlphaCoverage) return 1;
  if (destination->formatKey == source->formatKey && destination->bitsPerPixel == source->bitsPerPixel) {
    return SameFormatCopyIndex(source->bitsPerPixel);
  }
  return 0;
}

PlatformError PlatformCopyBits(PlatformWorld* destination, const Rect* destinationRect, uint8_t alphaFlag,
                               PlatformWorld* source, PlatformWorld* maskWorld, const TransferMode* mode,
                               const Rect* sourceRect) {
  if (!destination || !source || !destination->pixelMap || !source->pixelMap) return kPlatformErrBadData;
  PixelMap* dst = destination->pixelMap;
  PixelMap* src = source->pixelMap;
  ResolvedTransfer transfer;
  PlatformError error = ResolveTransfer(dst, src, maskWorld, mode, alphaFlag, &transfer);
  if (error != kPlatformNoError || transfer.drawsNothing) return error;

  const Rect a = destinationRect ? *destinationRect : dst->bounds;
  const Rect b = sourceRect ? *sourceRect : src->bounds;
  // Tested before anything is divided by an extent.
  if (Rect::IsEmpty(&a) || Rect::IsEmpty(&b)) return kPlatformNoError;
  const int64_t hA = a.Height(), wA = a.Width(), hB = b.Height(), wB = b.Width();

  error = BeginTransfer(destination, source, maskWorld);
  if (error != kPlatformNoError) return error;
  const PixelMap* mask = maskWorld ? maskWorld->pixelMap : nullptr;
  const Rect& s = src->bounds;
  const Rect& d = dst->bounds;

  // Clip against the source bounds, moving the matching destination edge by the scaled amount, then against the
  // destination bounds the other way round.
  int64_t at = a.top, al = a.left, ab = a.bottom, ar = a.right;
  int64_t bt = b.top, bl = b.left, bb = b.bottom, br = b.right;
  ClipAxis(&at, &ab, &bt, &bb, s.top, s.bottom, d.top, d.bottom, hA, hB);
  ClipAxis(&al, &ar, &bl, &br, s.left, s.right, d.left, d.right, wA, wB);

  int64_t rows = ab - at;
  int64_t columns = ar - al;
  if (rows > 0 && columns > 0 && bb > bt && br > bl) {
    const bool scaled = hA != hB || wA != wB;
    RowTransferArgs args{};
    args.destination = dst;
    args.source = src;
    args.mask = mask;
    // Error terms start half a source step in and account for the rows and columns clipped away; an axis whose
    // extents agree steps exactly one source pixel per destination pixel.
    int64_t vStep = 1, vExtent = 1, hStep = 1, hExtent = 1;
    if (scaled) {
      vStep = hB;
      vExtent = hA;
      hStep = wB;
      hExtent = wA;
      if (hA != hB)
        args.verticalError = static_cast<uint64_t>(((hB >> 1) + static_cast<__int128>(at - a.top) * hB) % hA);
      if (wA != wB)
        args.horizontalError = static_cast<uint64_t>(((wB >> 1) + static_cast<__int128>(al - a.left) * wB) % wA);
      args.destinationHeight = static_cast<uint64_t>(hA);
      args.destinationWidth = static_cast<uint64_t>(wA);
      args.sourceHeight = static_cast<uint64_t>(hB);
      args.sourceWidth = static_cast<uint64_t>(wB);
    }
    // Rounding in the clip arithmetic must never walk the source past its bounds: the last rows or columns of a
    // scaled copy would read beyond the source's pixels.
    rows = FitToSource(rows, s.bottom - bt, args.verticalError, vStep, vExtent);
    columns = FitToSource(columns, s.right - bl, args.horizontalError, hStep, hExtent);
    args.rows = static_cast<int32_t>(rows);
    args.columns = static_cast<int32_t>(columns);
    args.destinationStart = dst->baseAddress + (at - d.top) * dst->rowBytes + (al - d.left) * dst->bytesPerPixel;
    args.sourceStart = src->baseAddress + (bt - s.top) * src->rowBytes + (bl - s.left) * src->bytesPerPixel;
    args.maskStart = mask ? mask->baseAddress + (bt - s.top) * mask->rowBytes + (bl - s.left) : nullptr;
    if (dst->bytesPerPixel == 1) {
      args.destinationPalette = dst->palette.entries;
      args.destinationInverseTable = dst->inverseTable;
    }
    if (src->bytesPerPixel == 1) args.sourcePalette = src->palette.entries;
    args.value = RowRoutineValue(transfer, mode, src);
    int slot;
    if (transfer.kind == kTransferCopy) {
      const int index = CopyRoutineIndex(dst, src, transfer.rule);
      slot = scaled ? kRowSlotScaledCopy + index : index;
    } else {
      slot = (scaled ? kRowSlotScaledBlend : kRowSlotUnscaledBlend) + 6 * (transfer.kind - 1) + transfer.rule;
    }
    if (rows > 0 && columns > 0) RowRoutineTable[slot](args);
  }
  EndTransfer(destination, source, maskWorld);
  return kPlatformNoError;
}
