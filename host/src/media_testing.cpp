// The test seam's movie writer: small movies made at test time with FFmpeg's own encoders, so that no movie
// file needs to ship with the tests. Pictures are PNG-compressed (lossless), the sound 16-bit PCM.

#include <cmath>
#include <numbers>
#include <vector>

#include "host/testing_sound.h"
#include "media_library.h"

namespace {

struct Writer {
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  bool headerWritten = false;

  ~Writer() {
    if (headerWritten) host::Av().av_write_trailer(format);
    host::Av().avcodec_free_context(&video);
    host::Av().avcodec_free_context(&audio);
    host::Av().av_frame_free(&frame);
    host::Av().av_packet_free(&packet);
    if (format != nullptr) {
      if (format->pb != nullptr) host::Av().avio_closep(&format->pb);
      host::Av().avformat_free_context(format);
    }
  }

  bool Send(AVCodecContext* codec, AVStream* stream, AVFrame* input) {
    if (host::Av().avcodec_send_frame(codec, input) < 0) return false;
    while (host::Av().avcodec_receive_packet(codec, packet) == 0) {
      // Without a duration the last picture would fall outside the movie's stated length.
      if (packet->duration == 0 && codec->codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = 1;
      host::Av().av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (host::Av().av_interleaved_write_frame(format, packet) < 0) return false;
    }
    return true;
  }
};

}  // namespace

bool HostTestWriteMovie(const char* path, int width, int height, int frames, int framesPerSecond,
                        const std::vector<uint32_t>& colours, bool withSound) {
  if (path == nullptr || width <= 0 || height <= 0 || frames <= 0 || framesPerSecond <= 0 || colours.empty()) {
    return false;
  }
  if (host::LoadMediaLibrary() == nullptr) return false;
  Writer writer;
  if (host::Av().avformat_alloc_output_context2(&writer.format, nullptr, "mov", path) < 0) return false;
  const AVCodec* pictureCodec = host::Av().avcodec_find_encoder(AV_CODEC_ID_PNG);
  if (pictureCodec == nullptr) return false;
  writer.video = host::Av().avcodec_alloc_context3(pictureCodec);
  writer.video->width = width;
  writer.video->height = height;
  writer.video->pix_fmt = AV_PIX_FMT_RGB24;
  writer.video->time_base = AVRational{1, framesPerSecond};
  if (writer.format->oformat->flags & AVFMT_GLOBALHEADER) writer.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (host::Av().avcodec_open2(writer.video, pictureCodec, nullptr) < 0) return false;
  writer.videoStream = host::Av().avformat_new_stream(writer.format, nullptr);
  host::Av().avcodec_parameters_from_context(writer.videoStream->codecpar, writer.video);
  writer.videoStream->time_base = writer.video->time_base;

  if (withSound) {
    const AVCodec* soundCodec = host::Av().avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (soundCodec == nullptr) return false;
    writer.audio = host::Av().avcodec_alloc_context3(soundCodec);
    writer.audio->sample_fmt = AV_SAMPLE_FMT_S16;
    writer.audio->sample_rate = 44100;
    host::Av().av_channel_layout_default(&writer.audio->ch_layout, 1);
    writer.audio->time_base = AVRational{1, 44100};
    if (host::Av().avcodec_open2(writer.audio, soundCodec, nullptr) < 0) return false;
    writer.audioStream = host::Av().avformat_new_stream(writer.format, nullptr);
    host::Av().avcodec_parameters_from_context(writer.audioStream->codecpar, writer.audio);
    writer.audioStream->time_base = writer.audio->time_base;
  }
  if (host::Av().avio_open(&writer.format->pb, path, AVIO_FLAG_WRITE) < 0) return false;
  if (host::Av().avformat_write_header(writer.format, nullptr) < 0) return false;
  writer.headerWritten = true;
  writer.frame = host::Av().av_frame_alloc();
  writer.packet = host::Av().av_packet_alloc();

  for (int i = 0; i < frames; ++i) {
    AVFrame* picture = writer.frame;
    host::Av().av_frame_unref(picture);
    picture->format = AV_PIX_FMT_RGB24;
    picture->width = width;
    picture->height = height;
    if (host::Av().av_frame_get_buffer(picture, 0) < 0) return false;
    const uint32_t colour = colours[static_cast<size_t>(i) % colours.size()];
    for (int y = 0; y < height; ++y) {
      uint8_t* row = picture->data[0] + static_cast<ptrdiff_t>(y) * picture->linesize[0];
      for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<uint8_t>(colour >> 16);
        row[x * 3 + 1] = static_cast<uint8_t>(colour >> 8);
        row[x * 3 + 2] = static_cast<uint8_t>(colour);
      }
    }
    picture->pts = i;
    if (!writer.Send(writer.video, writer.videoStream, picture)) return false;
  }
  if (!writer.Send(writer.video, writer.videoStream, nullptr)) return false;

  if (withSound) {
    const int total = static_cast<int>(static_cast<int64_t>(frames) * 44100 / framesPerSecond);
    const int chunk = 1024;
    for (int start = 0; start < total; start += chunk) {
      AVFrame* sound = writer.frame;
      host::Av().av_frame_unref(sound);
      sound->format = AV_SAMPLE_FMT_S16;
      sound->sample_rate = 44100;
      host::Av().av_channel_layout_default(&sound->ch_layout, 1);
      sound->nb_samples = std::min(chunk, total - start);
      if (host::Av().av_frame_get_buffer(sound, 0) < 0) return false;
      auto* samples = reinterpret_cast<int16_t*>(sound->data[0]);
      for (int i = 0; i < sound->nb_samples; ++i) {
        samples[i] = static_cast<int16_t>(
            std::lround(8000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * (start + i) / 44100.0)));
      }
      sound->pts = start;
      if (!writer.Send(writer.audio, writer.audioStream, sound)) return false;
    }
    if (!writer.Send(writer.audio, writer.audioStream, nullptr)) return false;
  }
  return true;
}
