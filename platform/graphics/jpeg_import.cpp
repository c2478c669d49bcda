// JPEG import through libjpeg: a source manager that feeds the decompressor from the memory reader, the library's
// standard error manager with an error exit that returns to the importer instead of ending the program, and the
// conversion of RGB scanlines into {alpha, red, green, blue} rows.
#include "platform/graphics/jpeg_import.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

namespace {

constexpr uint32_t kInputBufferSize = 4096;
// The decompressor's own working memory is bounded, so that a header claiming a huge progressive image fails
// instead of exhausting memory.
constexpr long kDecoderMemoryLimit = 256L << 20;

// The standard error manager with the place to return to.
struct JpegErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  int code;
};

struct JpegMemorySource {
  jpeg_source_mgr manager;
  MemoryStreamReader* reader;
  JOCTET buffer[kInputBufferSize];
  bool startOfFile;
};

// Everything the decompression touches lives here, off the stack frame that the error exit jumps back to.
struct JpegDecodeState {
  jpeg_decompress_struct decompressor;
  JpegErrorManager error;
  JpegMemorySource source;
  bool created;
  std::vector<uint8_t> scanline;
};

// Supplied when the data ends inside the compressed stream: an end-of-image marker, so the library pads the rest.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void ErrorExit(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->output_message)(info);
  error->code = info->err->msg_code != 0 ? info->err->msg_code : 1;
  std::longjmp(error->jump, 1);
}

void OutputMessage(j_common_ptr) {}

JpegMemorySource* SourceOf(j_decompress_ptr info) { return reinterpret_cast<JpegMemorySource*>(info->src); }

void InitSource(j_decompress_ptr info) { SourceOf(info)->startOfFile = true; }

boolean FillInputBuffer(j_decompress_ptr info) {
  JpegMemorySource* source = SourceOf(info);
  MemoryStreamReader* reader = source->reader;
  const uint32_t left = reader->size - reader->position;
  const uint32_t n = left < kInputBufferSize ? left : kInputBufferSize;
  if (n > 0) {
    if (PlatformReadMemoryStream(reader, source->buffer, n) != kPlatformNoError) ERREXIT(info, JERR_INPUT_EMPTY);
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = n;
    source->startOfFile = false;
    return TRUE;
  }
  if (source->startOfFile) ERREXIT(info, JERR_INPUT_EMPTY);
  WARNMS(info, JWRN_JPEG_EOF);
  source->manager.next_input_byte = kEndOfImage;
  source->manager.bytes_in_buffer = sizeof(kEndOfImage);
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* manager = info->src;
  while (count > static_cast<long>(manager->bytes_in_buffer)) {
    count -= static_cast<long>(manager->bytes_in_buffer);
    FillInputBuffer(info);
  }
  manager->next_input_byte += count;
  manager->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Runs the decompression. The error exit comes back to the setjmp below; nothing with a destructor lives in this
// frame or the frames the jump crosses.
PlatformError Decompress(JpegDecodeState* state, MemoryStreamReader* reader, DecodedImage* image, ImageInfo* info) {
  j_decompress_ptr decompressor = &state->decompressor;
  if (setjmp(state->error.jump) != 0) {
    return state->error.code == JERR_OUT_OF_MEMORY ? kPlatformErrNoMemory : kPlatformErrImageData;
  }
  jpeg_create_decompress(decompressor);
  state->created = true;
  decompressor->mem->max_memory_to_use = kDecoderMemoryLimit;

  JpegMemorySource* source = &state->source;
  source->manager.init_source = InitSource;
  source->manager.fill_input_buffer = FillInputBuffer;
  source->manager.skip_input_data = SkipInputData;
  source->manager.resync_to_restart = jpeg_resync_to_restart;
  source->manager.term_source = TermSource;
  source->reader = reader;
  decompressor->src = &source->manager;

  jpeg_read_header(decompressor, TRUE);
  if (!IsImageSizeAcceptable(decompressor->image_width, decompressor->image_height)) return kPlatformErrImageData;
  decompressor->out_color_space = JCS_RGB;
  jpeg_start_decompress(decompressor);

  const uint32_t width = decompressor->output_width;
  const uint32_t height = decompressor->output_height;
  const uint32_t components = static_cast<uint32_t>(decompressor->output_components);
  if (components != 3) return kPlatformErrImageData;
  PlatformError error = AllocateDecodedImage(image, Rect{0, 0, static_cast<int32_t>(width),
                                                         static_cast<int32_t>(height)}, kImageFormat32, 0);
  if (error == kPlatformNoError) error = ResizeBuffer(&state->scanline, size_t{width} * components);
  if (error != kPlatformNoError) return error;
  if (info != nullptr) {
    info->type = kImageTypeJpeg;
    info->gamma = decompressor->output_gamma;
  }

  PlatformError result = kPlatformNoError;
  for (uint32_t y = 0; y < height; ++y) {
    JSAMPROW line = state->scanline.data();
    if (jpeg_read_scanlines(decompressor, &line, 1) == 0) result = kPlatformErrGraphics;
    const uint8_t* in = state->scanline.data();
    uint8_t* out = image->Row(static_cast<int32_t>(y));
    for (uint32_t x = 0; x < width; ++x) {
      out[4 * x] = 255;
      out[4 * x + 1] = in[3 * x];
      out[4 * x + 2] = in[3 * x + 1];
      out[4 * x + 3] = in[3 * x + 2];
    }
  }
  jpeg_finish_decompress(decompressor);
  return result;
}

}  // namespace

bool IsJfifData(const uint8_t* bytes, size_t n) {
  return n > 10 && bytes[0] == 0xFF && bytes[2] == 0xFF && std::memcmp(bytes + 6, "JFIF", 4) == 0 && bytes[10] == 0;
}

PlatformError DecodeJpeg(MemoryStreamReader* reader, DecodedImage* image, TransferMode* mode, ImageInfo* info) {
  std::unique_ptr<JpegDecodeState> state;
  try {
    state = std::make_unique<JpegDecodeState>();
  } catch (const std::bad_alloc&) {
    return kPlatformErrNoMemory;
  }
  state->decompressor.err = jpeg_std_error(&state->error.manager);
  state->error.manager.error_exit = ErrorExit;
  state->error.manager.output_message = OutputMessage;
  const PlatformError error = Decompress(state.get(), reader, image, info);
  if (state->created) jpeg_destroy_decompress(&state->decompressor);
  return error;
}

PlatformError ImportJpeg(MemoryStreamReader* reader, PlatformWorld** world, PlatformWorld** mask, TransferMode* mode,
                         ImageInfo* info) {
  return RunImageImporter(DecodeJpeg, reader, world, mask, mode, info);
}
