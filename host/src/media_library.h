// The media libraries (FFmpeg's format, codec, utility, scaling and resampling libraries), loaded with dlopen when
// a file that needs them is first opened, so that a program that plays no such file never loads them (they pull
// in dozens of codec libraries, and loading them beside the main thread slows its own start-up). The headers give
// the types and macros; every call goes through the table of the loaded libraries.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// Every function the media calls use.
#define KESTRIVAL_MEDIA_FUNCTIONS(X)                                                                                 \
  X(av_log_set_level) X(av_dict_set) X(av_dict_free) X(av_channel_layout_default) X(av_rescale_q) X(av_frame_alloc)   \
  X(av_frame_free) X(av_frame_unref) X(av_frame_get_buffer) X(av_packet_alloc) X(av_packet_free) X(av_packet_unref)   \
  X(av_packet_rescale_ts) X(avformat_open_input) X(avformat_find_stream_info) X(avformat_close_input)                 \
  X(av_find_best_stream) X(av_read_frame) X(av_seek_frame) X(avformat_alloc_output_context2) X(avformat_new_stream)  \
  X(avformat_write_header) X(av_interleaved_write_frame) X(av_write_trailer) X(avformat_free_context) X(avio_open)   \
  X(avio_closep) X(avcodec_alloc_context3) X(avcodec_free_context) X(avcodec_parameters_to_context)                  \
  X(avcodec_parameters_from_context) X(avcodec_open2) X(avcodec_send_packet) X(avcodec_receive_frame)                \
  X(avcodec_send_frame) X(avcodec_receive_packet) X(avcodec_flush_buffers) X(avcodec_find_encoder)                   \
  X(swr_alloc_set_opts2) X(swr_init) X(swr_free) X(swr_get_out_samples) X(swr_convert) X(sws_getCachedContext)       \
  X(sws_scale) X(sws_freeContext)

namespace host {

struct MediaLibrary {
#define KESTRIVAL_MEDIA_MEMBER(name) decltype(&::name) name = nullptr;
  KESTRIVAL_MEDIA_FUNCTIONS(KESTRIVAL_MEDIA_MEMBER)
#undef KESTRIVAL_MEDIA_MEMBER
};

// The loaded libraries, loading them the first time; null when they (or one of their functions) cannot be had. The first failure is written once to standard error, and music and movies then stay silent.
const MediaLibrary* LoadMediaLibrary();
// The loaded table; only after LoadMediaLibrary gave one.
const MediaLibrary& Av();
// Why the libraries could not be loaded; empty before a failure.
const char* MediaLibraryError();

}  // namespace host
