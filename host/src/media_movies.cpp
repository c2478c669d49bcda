// The media library over FFmpeg, whose libraries are loaded when the first file that needs them is opened (without
// them, opening such a file fails with cantFindHandler and the game goes on silent). A plain PCM AIFF file at the
// mixer's rate is read by the host itself (pcm_aiff.h) and needs no decoders. A movie's sound track is decoded
// whole from the moment it is opened (mono, 44,100 Hz, 16-bit), on a thread of its own, and mixed while the movie
// plays; its pictures are decoded as the movie's time reaches them, from the host clock, and drawn into the movie's
// box on its window. A file with neither a sound nor a picture track the decoders can read cannot be opened.
#include "host/media.h"

#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio_mixer.h"
#include "host/gdi.h"
#include "host/kernel.h"
#include "host/user.h"
#include "host_paths.h"
#include "media_library.h"
#include "pcm_aiff.h"

struct MediaPortRecord {
  HWND window;
};

namespace host {
namespace {

// Longer sound tracks are cut here: 20 minutes of mono 16-bit samples.
constexpr size_t kMaxAudioSamples = static_cast<size_t>(kMixRate) * 60 * 20;
constexpr int kMaxPictureSide = 4096;

struct MediaState {
  int qtmlUsers = 0;
  bool decodeEveryFile = false;  // set by the test seam: plain PCM AIFF files go through the decoders too
  bool audioHeld = false;  // the media players' hold on the audio output
  SDL_Thread* audioOpening = nullptr;  // takes that hold (and sets audioHeld) while the program goes on starting
  std::map<int16_t, std::string> openFiles;
  int16_t nextFile = 1;
  std::map<HWND, std::unique_ptr<MediaPortRecord>> ports;
  std::vector<Movie> movies;
};

MediaState& Media() {
  static MediaState* state = new MediaState;
  return *state;
}

void JoinAudioOpening(MediaState& media) {
  if (media.audioOpening == nullptr) return;
  SDL_WaitThread(media.audioOpening, nullptr);
  media.audioOpening = nullptr;
}

// The POSIX path of a path the game gives: Windows text, or the normalised "/C/..." form of a drive path.
bool MediaPosixPath(const std::string& path, std::string* posix) {
  std::string text = path;
  if (text.size() >= 3 && text[0] == '/' && (text[1] == 'C' || text[1] == 'c') && text[2] == '/') {
    text = "C:" + text.substr(2);
  }
  DWORD error = 0;
  return HostPosixPath(text.c_str(), posix, &error);
}

struct FormatCloser {
  void operator()(AVFormatContext* context) const { host::Av().avformat_close_input(&context); }
};
struct CodecCloser {
  void operator()(AVCodecContext* context) const { host::Av().avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { host::Av().av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { host::Av().av_packet_free(&packet); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

FormatPtr OpenFormat(const std::string& posix) {
  // Only the file kinds the game plays, and only local files: a playlist or a reference movie must not make
  // the decoders open other files or network addresses.
  AVDictionary* options = nullptr;
  host::Av().av_dict_set(&options, "format_whitelist", "aiff,mp3,mov,mp4,m4a,3gp,3g2,mj2,mpeg,mpegvideo,wav", 0);
  host::Av().av_dict_set(&options, "protocol_whitelist", "file", 0);
  AVFormatContext* context = nullptr;
  const int opened = host::Av().avformat_open_input(&context, posix.c_str(), nullptr, &options);
  host::Av().av_dict_free(&options);
  if (opened < 0) return nullptr;
  FormatPtr format(context);
  if (host::Av().avformat_find_stream_info(context, nullptr) < 0) return nullptr;
  return format;
}

CodecPtr OpenDecoder(AVFormatContext* format, AVMediaType type, int* streamIndex) {
  const AVCodec* codec = nullptr;
  const int index = host::Av().av_find_best_stream(format, type, -1, -1, &codec, 0);
  if (index < 0 || codec == nullptr) return nullptr;
  CodecPtr context(host::Av().avcodec_alloc_context3(codec));
  if (context == nullptr) return nullptr;
  if (host::Av().avcodec_parameters_to_context(context.get(), format->streams[index]->codecpar) < 0) return nullptr;
  if (host::Av().avcodec_open2(context.get(), codec, nullptr) < 0) return nullptr;
  *streamIndex = index;
  return context;
}

// A sound track's samples (mono, 44,100 Hz, 16-bit) as its decoding thread makes them. Whoever needs samples
// not yet made waits for them, so that what is mixed never depends on how far the decoding has come.
class DecodedSound {
 public:
  // Waits until the first `count` samples are made or the track is complete; calls `use` with the samples
  // made so far, under the track's lock.
  template <typename Use>
  void WithSamples(size_t count, Use use) const {
    std::unique_lock<std::mutex> hold(lock_);
    grown_.wait(hold, [&] { return complete_ || samples_.size() >= count; });
    use(samples_);
  }
  // Whether the whole track is shorter than or as long as `position`, waiting for the decoding to tell.
  bool EndsBy(size_t position) const {
    bool ends = false;
    WithSamples(position + 1, [&](const std::vector<int16_t>& samples) { ends = samples.size() <= position; });
    return ends;
  }
  void Append(const int16_t* samples, size_t count) {
    std::lock_guard<std::mutex> hold(lock_);
    samples_.insert(samples_.end(), samples, samples + count);
    grown_.notify_all();
  }
  void Complete() {
    std::lock_guard<std::mutex> hold(lock_);
    complete_ = true;
    grown_.notify_all();
  }

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable grown_;
  std::vector<int16_t> samples_;
  bool complete_ = false;
};

// The decoders of one sound track, opened before its decoding thread starts.
struct SoundDecoder {
  FormatPtr format;
  CodecPtr decoder;
  int stream = -1;
  SwrContext* resampler = nullptr;

  ~SoundDecoder() {
    if (resampler != nullptr) host::Av().swr_free(&resampler);
  }
};

// Opens the sound track of a file for decoding into mono 44,100 Hz samples; null when there is none the decoders
// read.
std::unique_ptr<SoundDecoder> OpenSoundTrack(const std::string& posix) {
  auto sound = std::make_unique<SoundDecoder>();
  sound->format = OpenFormat(posix);
  if (sound->format == nullptr) return nullptr;
  sound->decoder = OpenDecoder(sound->format.get(), AVMEDIA_TYPE_AUDIO, &sound->stream);
  if (sound->decoder == nullptr) return nullptr;
  AVCodecContext* decoder = sound->decoder.get();
  if (decoder->ch_layout.nb_channels <= 0) host::Av().av_channel_layout_default(&decoder->ch_layout, 1);
  AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
  if (host::Av().swr_alloc_set_opts2(&sound->resampler, &mono, AV_SAMPLE_FMT_S16, kMixRate, &decoder->ch_layout,
                                     decoder->sample_fmt, decoder->sample_rate, 0, nullptr) < 0 ||
      host::Av().swr_init(sound->resampler) < 0) {
    return nullptr;
  }
  return sound;
}

// Decodes the whole sound track into `out`, which is completed at the end (or when `stop` is set).
void DecodeSoundTrack(SoundDecoder& sound, DecodedSound& out, const std::atomic<bool>& stop) {
  SwrContext* resampler = sound.resampler;
  PacketPtr packet(host::Av().av_packet_alloc());
  FramePtr frame(host::Av().av_frame_alloc());
  size_t made = 0;
  bool full = false;
  std::vector<int16_t> chunk;
  auto take = [&](AVFrame* decoded) {
    const int room = host::Av().swr_get_out_samples(resampler, decoded ? decoded->nb_samples : 0);
    if (room <= 0) return;
    chunk.resize(static_cast<size_t>(room));
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(chunk.data())};
    const int converted = host::Av().swr_convert(resampler, outPlanes, room,
                                 decoded ? const_cast<const uint8_t**>(decoded->extended_data) : nullptr,
                                 decoded ? decoded->nb_samples : 0);
    if (converted <= 0) return;
    const size_t keep = std::min(static_cast<size_t>(converted), kMaxAudioSamples - made);
    out.Append(chunk.data(), keep);
    made += keep;
    if (made >= kMaxAudioSamples) full = true;
  };
  auto drain = [&]() {
    while (host::Av().avcodec_receive_frame(sound.decoder.get(), frame.get()) == 0) {
      take(frame.get());
      host::Av().av_frame_unref(frame.get());
    }
  };
  while (!full && !stop && host::Av().av_read_frame(sound.format.get(), packet.get()) >= 0) {
    if (packet->stream_index == sound.stream && host::Av().avcodec_send_packet(sound.decoder.get(), packet.get()) >= 0) {
      drain();
    }
    host::Av().av_packet_unref(packet.get());
  }
  if (!stop) {
    host::Av().avcodec_send_packet(sound.decoder.get(), nullptr);
    drain();
    if (!full) take(nullptr);
  }
  out.Complete();
}

// The sound track as a mix source: plays from its position while the movie plays. Its samples are decoded whole
// on a thread of their own from the moment the movie is opened; mixing waits for those it reaches.
class SoundTrack final : public MixSource {
 public:
  DecodedSound decoded;
  size_t position = 0;
  int volume = 256;
  bool playing = false;

  ~SoundTrack() override { StopDecoding(); }

  // Samples already read whole, with no decoding to wait for.
  void TakeSamples(const std::vector<int16_t>& samples) {
    decoded.Append(samples.data(), samples.size());
    decoded.Complete();
  }
  void StartDecoding(std::unique_ptr<SoundDecoder> sound) {
    decoding_ = std::thread([this, sound = std::move(sound)] { DecodeSoundTrack(*sound, decoded, stop_); });
  }
  void StopDecoding() {
    stop_ = true;
    if (decoding_.joinable()) decoding_.join();
  }

  void MixInto(int32_t* sum, int frames) override {
    if (!playing || frames <= 0) return;
    decoded.WithSamples(position + static_cast<size_t>(frames), [&](const std::vector<int16_t>& samples) {
      for (int i = 0; i < frames && position < samples.size(); ++i, ++position) {
        sum[i] += samples[position] * volume / 256;
      }
    });
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread decoding_;
};

}  // namespace
}  // namespace host

struct MovieRecord {
  std::string path;
  host::SoundTrack sound;
  bool hasSound = false;

  // Pictures.
  host::FormatPtr format;
  host::CodecPtr decoder;
  host::FramePtr frame;
  host::PacketPtr packet;
  SwsContext* scaler = nullptr;
  int videoStream = -1;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> picture;  // the current picture, 0x00RRGGBB, top row first
  bool pictureShown = false;
  bool pendingFrame = false;   // frame holds a decoded picture not yet due
  int64_t pendingTime = 0;     // its time in ms
  bool videoEnded = false;
  int64_t durationMs = 0;

  // Time.
  bool playing = false;
  bool looping = false;   // set through the controller: the movie starts again when it is done
  int64_t baseMs = 0;     // movie time when last started or moved
  DWORD startTick = 0;
  MediaRect box{0, 0, 0, 0};
  CGrafPtr port = nullptr;

  ~MovieRecord() {
    host::RemoveMixSource(&sound);
    sound.StopDecoding();
    if (scaler != nullptr) host::Av().sws_freeContext(scaler);
  }

  int64_t TimeMs() const {
    return playing ? baseMs + static_cast<int64_t>(timeGetTime() - startTick) : baseMs;
  }
};

struct MovieControllerRecord {
  Movie movie = nullptr;
  bool looping = false;
  int32_t flags = 0;
};

namespace host {
namespace {

bool OpenPictures(MovieRecord& movie, const std::string& posix) {
  movie.format = OpenFormat(posix);
  if (movie.format == nullptr) return false;
  movie.decoder = OpenDecoder(movie.format.get(), AVMEDIA_TYPE_VIDEO, &movie.videoStream);
  if (movie.decoder == nullptr) return false;
  movie.width = movie.decoder->width;
  movie.height = movie.decoder->height;
  if (movie.width <= 0 || movie.height <= 0 || movie.width > kMaxPictureSide || movie.height > kMaxPictureSide) {
    return false;
  }
  movie.frame.reset(host::Av().av_frame_alloc());
  movie.packet.reset(host::Av().av_packet_alloc());
  if (movie.format->duration > 0) movie.durationMs = movie.format->duration / (AV_TIME_BASE / 1000);
  movie.picture.assign(static_cast<size_t>(movie.width) * static_cast<size_t>(movie.height), 0);
  return true;
}

// Decodes the next picture into movie.frame; false at the end of the track.
bool DecodeNextPicture(MovieRecord& movie) {
  for (;;) {
    const int received = host::Av().avcodec_receive_frame(movie.decoder.get(), movie.frame.get());
    if (received == 0) {
      const AVStream* stream = movie.format->streams[movie.videoStream];
      int64_t pts = movie.frame->best_effort_timestamp;
      if (pts == AV_NOPTS_VALUE) pts = 0;
      movie.pendingTime = host::Av().av_rescale_q(pts, stream->time_base, AVRational{1, 1000});
      return true;
    }
    if (received != AVERROR(EAGAIN)) return false;  // the end, or a damaged track
    if (host::Av().av_read_frame(movie.format.get(), movie.packet.get()) < 0) {
      host::Av().avcodec_send_packet(movie.decoder.get(), nullptr);
      continue;
    }
    if (movie.packet->stream_index == movie.videoStream) host::Av().avcodec_send_packet(movie.decoder.get(), movie.packet.get());
    host::Av().av_packet_unref(movie.packet.get());
  }
}

void TakePicture(MovieRecord& movie) {
  AVFrame* frame = movie.frame.get();
  if (frame->width != movie.width || frame->height != movie.height) {
    host::Av().av_frame_unref(frame);
    return;
  }
  movie.scaler = host::Av().sws_getCachedContext(movie.scaler, frame->width, frame->height,
                                      static_cast<AVPixelFormat>(frame->format), movie.width, movie.height,
                                      AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
  if (movie.scaler != nullptr) {
    uint8_t* planes[1] = {reinterpret_cast<uint8_t*>(movie.picture.data())};
    int strides[1] = {movie.width * 4};
    host::Av().sws_scale(movie.scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    for (uint32_t& pixel : movie.picture) pixel &= 0x00FFFFFF;
  }
  host::Av().av_frame_unref(frame);
  movie.pictureShown = true;
}

// Brings the picture up to the movie's time; true when it changed.
bool AdvancePictures(MovieRecord& movie) {
  if (movie.decoder == nullptr) return false;
  const int64_t now = movie.TimeMs();
  bool changed = false;
  while (!movie.videoEnded) {
    if (!movie.pendingFrame) {
      if (!DecodeNextPicture(movie)) {
        movie.videoEnded = true;
        break;
      }
      movie.pendingFrame = true;
    }
    if (movie.pictureShown && movie.pendingTime > now) break;
    TakePicture(movie);
    movie.pendingFrame = false;
    changed = true;
  }
  if (movie.videoEnded && movie.durationMs == 0) movie.durationMs = std::max<int64_t>(now, 1);
  return changed;
}

void RewindPictures(MovieRecord& movie) {
  if (movie.decoder == nullptr) return;
  host::Av().av_seek_frame(movie.format.get(), movie.videoStream, 0, AVSEEK_FLAG_BACKWARD);
  host::Av().avcodec_flush_buffers(movie.decoder.get());
  if (movie.pendingFrame) host::Av().av_frame_unref(movie.frame.get());
  movie.pendingFrame = false;
  movie.videoEnded = false;
  movie.pictureShown = false;
}

// Draws the current picture into the box on the port's window, scaled to the box.
void DrawPicture(MovieRecord& movie) {
  if (movie.port == nullptr || !movie.pictureShown) return;
  const int boxWidth = movie.box.right - movie.box.left;
  const int boxHeight = movie.box.bottom - movie.box.top;
  if (boxWidth <= 0 || boxHeight <= 0) return;
  std::vector<uint32_t> scaled(static_cast<size_t>(boxWidth) * static_cast<size_t>(boxHeight));
  for (int y = 0; y < boxHeight; ++y) {
    const size_t sourceRow = static_cast<size_t>(y) * static_cast<size_t>(movie.height) / boxHeight;
    for (int x = 0; x < boxWidth; ++x) {
      const size_t sourceColumn = static_cast<size_t>(x) * static_cast<size_t>(movie.width) / boxWidth;
      scaled[static_cast<size_t>(y) * boxWidth + x] = movie.picture[sourceRow * movie.width + sourceColumn];
    }
  }
  HDC dc = GetDC(movie.port->window);
  if (dc == nullptr) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = boxWidth;
  info.bmiHeader.biHeight = -boxHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, movie.box.left, movie.box.top, static_cast<DWORD>(boxWidth), static_cast<DWORD>(boxHeight),
                    0, 0, 0, static_cast<UINT>(boxHeight), scaled.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(movie.port->window, dc);
}

bool Done(const MovieRecord& movie) {
  std::lock_guard<std::recursive_mutex> hold(MixerLock());
  const bool soundDone = !movie.hasSound || movie.sound.decoded.EndsBy(movie.sound.position);
  const bool picturesDone =
      movie.decoder == nullptr || (movie.videoEnded && movie.TimeMs() >= movie.durationMs);
  return soundDone && picturesDone;
}

void Rewind(MovieRecord& movie);

void ServeMovie(MovieRecord& movie) {
  if (!movie.playing) return;
  if (AdvancePictures(movie)) DrawPicture(movie);
  if (movie.looping && Done(movie)) {
    Rewind(movie);
    if (AdvancePictures(movie)) DrawPicture(movie);
  }
}

bool Known(Movie movie) {
  auto& movies = Media().movies;
  return movie != nullptr && std::find(movies.begin(), movies.end(), movie) != movies.end();
}

}  // namespace
}  // namespace host

OSErr InitializeQTML(int32_t) {
  host::MediaState& media = host::Media();
  if (media.qtmlUsers++ == 0) {
    // Finding and opening an audio device takes milliseconds (with some drivers far more), which the first screen
    // need not wait for: the output opens on a thread of its own (an SDL thread, so that what SDL keeps for the
    // thread is freed when it ends). Sound played meanwhile goes to the mixer, which its lock keeps whole; a player
    // that needs the device itself waits on that lock. The last user's TerminateQTML waits for the thread.
    media.audioOpening = SDL_CreateThread(
        [](void*) -> int {
          host::Media().audioHeld = host::AcquireAudioOutput();
          return 0;
        },
        "audio output", nullptr);
    if (media.audioOpening == nullptr) media.audioHeld = host::AcquireAudioOutput();
  }
  return noErr;
}

void TerminateQTML() {
  host::MediaState& media = host::Media();
  if (media.qtmlUsers == 0 || --media.qtmlUsers > 0) return;
  host::JoinAudioOpening(media);
  if (media.audioHeld) host::ReleaseAudioOutput();
  media.audioHeld = false;
}

OSErr EnterMovies() { return noErr; }
void ExitMovies() {}

OSErr FSMakeFSSpec(int16_t vRefNum, int32_t dirID, ConstStr255Param fileName, FSSpec* fileSpec) {
  if (fileSpec == nullptr || fileName == nullptr || vRefNum != 0 || dirID != 0) return paramErr;
  std::memset(fileSpec, 0, sizeof(*fileSpec));
  std::memcpy(fileSpec->name, fileName, static_cast<size_t>(fileName[0]) + 1);
  std::string path(reinterpret_cast<const char*>(fileName + 1), fileName[0]);
  std::string posix;
  struct stat info{};
  if (!host::MediaPosixPath(path, &posix) || stat(posix.c_str(), &info) != 0) return fnfErr;
  return noErr;
}

OSErr OpenMovieFile(const FSSpec* file, int16_t* resRefNum, int8_t permission) {
  if (file == nullptr || resRefNum == nullptr || permission != fsRdPerm) return paramErr;
  *resRefNum = 0;
  std::string path(reinterpret_cast<const char*>(file->name + 1), file->name[0]);
  std::string posix;
  struct stat info{};
  if (!host::MediaPosixPath(path, &posix) || stat(posix.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return fnfErr;
  }
  host::MediaState& media = host::Media();
  const int16_t number = media.nextFile;
  media.nextFile = static_cast<int16_t>(number == INT16_MAX ? 1 : number + 1);
  media.openFiles[number] = posix;
  *resRefNum = number;
  return noErr;
}

OSErr NewMovieFromFile(Movie* movie, int16_t resRefNum, int16_t* resId, StringPtr, int16_t,
                       Boolean* dataRefWasChanged) {
  if (movie == nullptr) return paramErr;
  *movie = nullptr;
  if (resId != nullptr) *resId = 0;
  if (dataRefWasChanged != nullptr) *dataRefWasChanged = 0;
  host::MediaState& media = host::Media();
  auto file = media.openFiles.find(resRefNum);
  if (file == media.openFiles.end()) return invalidMovie;
  auto record = std::make_unique<MovieRecord>();
  record->path = file->second;
  // Plain music is read here, sound only; the decoders are loaded with the first other file opened, and without
  // them nothing else plays.
  std::vector<int16_t> plain;
  if (!media.decodeEveryFile && host::ReadPcmAiffFile(file->second, host::kMaxAudioSamples, &plain)) {
    record->hasSound = true;
    record->sound.TakeSamples(plain);
    *movie = record.release();
    media.movies.push_back(*movie);
    return noErr;
  }
  if (host::LoadMediaLibrary() == nullptr) return cantFindHandler;
  std::unique_ptr<host::SoundDecoder> sound = host::OpenSoundTrack(file->second);
  record->hasSound = sound != nullptr;
  // A file whose streams, read for its sound, hold no picture stream has no pictures to open: music is read once.
  const bool mayHavePictures =
      sound == nullptr ||
      host::Av().av_find_best_stream(sound->format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) >= 0;
  if (sound != nullptr) record->sound.StartDecoding(std::move(sound));
  const bool hasPictures = mayHavePictures && host::OpenPictures(*record, file->second);
  if (!hasPictures) {
    record->format.reset();
    record->decoder.reset();
  }
  if (!record->hasSound && !hasPictures) return badImageDescription;
  record->box = {0, 0, static_cast<int16_t>(record->height), static_cast<int16_t>(record->width)};
  *movie = record.release();
  media.movies.push_back(*movie);
  return noErr;
}

OSErr CloseMovieFile(int16_t resRefNum) {
  return host::Media().openFiles.erase(resRefNum) == 1 ? noErr : paramErr;
}

void DisposeMovie(Movie movie) {
  if (!host::Known(movie)) return;
  auto& movies = host::Media().movies;
  movies.erase(std::find(movies.begin(), movies.end(), movie));
  delete movie;
}

void SetMovieGWorld(Movie movie, CGrafPtr port, GDHandle) {
  if (host::Known(movie)) movie->port = port;
}

void SetMovieVolume(Movie movie, int16_t volume) {
  if (!host::Known(movie)) return;
  std::lock_guard<std::recursive_mutex> hold(host::MixerLock());
  movie->sound.volume = std::clamp<int>(volume, 0, 256);
}

void StartMovie(Movie movie) {
  if (!host::Known(movie) || movie->playing) return;
  movie->startTick = timeGetTime();
  movie->playing = true;
  if (movie->hasSound) {
    std::lock_guard<std::recursive_mutex> hold(host::MixerLock());
    movie->sound.playing = true;
    host::AddMixSource(&movie->sound);
  }
  host::ServeMovie(*movie);
}

void StopMovie(Movie movie) {
  if (!host::Known(movie) || !movie->playing) return;
  movie->baseMs = movie->TimeMs();
  movie->playing = false;
  std::lock_guard<std::recursive_mutex> hold(host::MixerLock());
  movie->sound.playing = false;
  host::RemoveMixSource(&movie->sound);
}

namespace host {
namespace {
void Rewind(MovieRecord& movie) {
  movie.baseMs = 0;
  movie.startTick = timeGetTime();
  {
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    movie.sound.position = 0;
  }
  RewindPictures(movie);
}
}  // namespace
}  // namespace host

void GoToBeginningOfMovie(Movie movie) {
  if (host::Known(movie)) host::Rewind(*movie);
}

Boolean IsMovieDone(Movie movie) { return host::Known(movie) && host::Done(*movie) ? 1 : 0; }

void MoviesTask(Movie movie, int32_t) {
  if (movie == nullptr) {
    for (Movie each : std::vector<Movie>(host::Media().movies)) host::ServeMovie(*each);
  } else if (host::Known(movie)) {
    host::ServeMovie(*movie);
  }
}

void GetMovieBox(Movie movie, MediaRect* box) {
  if (box == nullptr) return;
  *box = host::Known(movie) ? movie->box : MediaRect{0, 0, 0, 0};
}

void SetMovieBox(Movie movie, const MediaRect* box) {
  if (host::Known(movie) && box != nullptr) movie->box = *box;
}

Fixed GetMoviePreferredRate(Movie movie) { return host::Known(movie) ? 0x10000 : 0; }

OSErr UpdateMovie(Movie movie) {
  if (!host::Known(movie)) return invalidMovie;
  host::AdvancePictures(*movie);
  host::DrawPicture(*movie);
  return noErr;
}

MovieController NewMovieController(Movie movie, const MediaRect* box, int32_t) {
  if (!host::Known(movie)) return nullptr;
  if (box != nullptr) movie->box = *box;
  auto* controller = new MovieControllerRecord;
  controller->movie = movie;
  return controller;
}

void DisposeMovieController(MovieController controller) { delete controller; }

ComponentResult MCDoAction(MovieController controller, int16_t action, void* parameters) {
  if (controller == nullptr || !host::Known(controller->movie)) return paramErr;
  const intptr_t value = reinterpret_cast<intptr_t>(parameters);
  Movie movie = controller->movie;
  switch (action) {
    case mcActionPlay:
      if (value != 0) {
        StartMovie(movie);
      } else {
        StopMovie(movie);
      }
      return noErr;
    case mcActionSetVolume:
      SetMovieVolume(movie, static_cast<int16_t>(value));
      return noErr;
    case mcActionSetLooping:
      controller->looping = value != 0;
      movie->looping = controller->looping;
      return noErr;
    case mcActionSuspend:
      StopMovie(movie);
      return noErr;
    case mcActionGetFlags:
      if (parameters == nullptr) return paramErr;
      *static_cast<int32_t*>(parameters) = controller->flags;
      return noErr;
    case mcActionSetFlags:
      controller->flags = static_cast<int32_t>(value);
      return noErr;
    default:
      return noErr;  // badge, palindrome, keys and dragging have nothing to show here
  }
}

ComponentResult MCSetControllerAttached(MovieController controller, Boolean) {
  return controller == nullptr ? paramErr : noErr;
}
ComponentResult MCSetVisible(MovieController controller, Boolean) {
  return controller == nullptr ? paramErr : noErr;
}
ComponentResult MCEnableEditing(MovieController controller, Boolean) {
  return controller == nullptr ? paramErr : noErr;
}

GrafPtr CreatePortAssociation(void* window, void*, int32_t) {
  if (window == nullptr) return nullptr;
  auto& ports = host::Media().ports;
  HWND handle = static_cast<HWND>(window);
  auto& port = ports[handle];
  if (port == nullptr) port = std::make_unique<MediaPortRecord>(MediaPortRecord{handle});
  return port.get();
}

OSErr DestroyPortAssociation(CGrafPtr port) {
  if (port == nullptr) return paramErr;
  auto& ports = host::Media().ports;
  for (Movie movie : host::Media().movies) {
    if (movie->port == port) movie->port = nullptr;
  }
  return ports.erase(port->window) == 1 ? noErr : paramErr;
}

GrafPtr GetNativeWindowPort(void* window) {
  auto& ports = host::Media().ports;
  auto found = ports.find(static_cast<HWND>(window));
  return found == ports.end() ? nullptr : found->second.get();
}

void HostTestDecodeEveryFile(bool every) { host::Media().decodeEveryFile = every; }
