// The sound device and its buffers over the software mixer. A secondary buffer is a mix source while it plays:
// it steps through its PCM at its own rate (linear interpolation to the mixer's 44,100 Hz) and stops at its end
// unless it loops. Duplicates share the original's bytes.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "audio_mixer.h"
#include "host/sound.h"
#include "host/testing_sound.h"

namespace host {
namespace {

constexpr DWORD kMaxRate = 192000;

struct SoundBytes {
  std::vector<uint8_t> bytes;
  WAVEFORMATEX format{};
};

class SoundBuffer;

struct SoundRegistry {
  std::vector<SoundBuffer*> buffers;
  int failingRestores = 0;
  bool refuseDevice = false;
};

SoundRegistry& Registry() {
  static SoundRegistry* registry = new SoundRegistry;
  return *registry;
}

bool FormatUsable(const WAVEFORMATEX* format) {
  if (format == nullptr || format->wFormatTag != WAVE_FORMAT_PCM) return false;
  if (format->nChannels < 1 || format->nChannels > 2) return false;
  if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) return false;
  if (format->nSamplesPerSec < 1 || format->nSamplesPerSec > kMaxRate) return false;
  return format->nBlockAlign == format->nChannels * format->wBitsPerSample / 8;
}

class SoundBuffer final : public IDirectSoundBuffer, public MixSource {
 public:
  SoundBuffer(std::shared_ptr<SoundBytes> data, bool primary) : data_(std::move(data)), primary_(primary) {
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    Registry().buffers.push_back(this);
  }

  ~SoundBuffer() override {
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    RemoveMixSource(this);
    auto& buffers = Registry().buffers;
    buffers.erase(std::remove(buffers.begin(), buffers.end(), this), buffers.end());
  }

  const std::shared_ptr<SoundBytes>& Data() const { return data_; }
  bool IsPrimary() const { return primary_; }
  void MarkLost() { lost_ = true; }

  ULONG Release() override {
    delete this;
    return 0;
  }

  HRESULT GetStatus(DWORD* status) override {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    *status = (playing_ ? DSBSTATUS_PLAYING : 0) | (looping_ && playing_ ? DSBSTATUS_LOOPING : 0) |
              (lost_ ? DSBSTATUS_BUFFERLOST : 0);
    return DS_OK;
  }

  HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
               DWORD flags) override {
    if (part1 == nullptr || bytes1 == nullptr || primary_) return DSERR_INVALIDCALL;
    *part1 = nullptr;
    *bytes1 = 0;
    if (part2 != nullptr) *part2 = nullptr;
    if (bytes2 != nullptr) *bytes2 = 0;
    if (lost_) return DSERR_BUFFERLOST;
    std::vector<uint8_t>& memory = data_->bytes;
    if (flags & DSBLOCK_ENTIREBUFFER) {
      offset = 0;
      bytes = static_cast<DWORD>(memory.size());
    }
    if (offset > memory.size() || bytes > memory.size() - offset) return DSERR_INVALIDPARAM;
    *part1 = memory.data() + offset;
    *bytes1 = bytes;
    return DS_OK;
  }

  HRESULT Unlock(void*, DWORD, void*, DWORD) override { return primary_ ? DSERR_INVALIDCALL : DS_OK; }

  HRESULT Play(DWORD reserved, DWORD, DWORD flags) override {
    if (reserved != 0 || primary_) return DSERR_INVALIDPARAM;
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    if (lost_) return DSERR_BUFFERLOST;
    looping_ = (flags & DSBPLAY_LOOPING) != 0;
    if (!playing_) {
      playing_ = true;
      AddMixSource(this);
    }
    return DS_OK;
  }

  HRESULT Stop() override {
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    playing_ = false;
    RemoveMixSource(this);
    return DS_OK;
  }

  HRESULT SetCurrentPosition(DWORD byteOffset) override {
    if (primary_) return DSERR_INVALIDCALL;
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    uint64_t frame = byteOffset / std::max<WORD>(data_->format.nBlockAlign, 1);
    if (frame > FrameCount()) return DSERR_INVALIDPARAM;
    position_ = frame << 32;
    return DS_OK;
  }

  HRESULT SetFormat(const WAVEFORMATEX* format) override {
    if (!primary_) return DSERR_INVALIDCALL;
    if (!FormatUsable(format)) return DSERR_BADFORMAT;
    data_->format = *format;
    return DS_OK;
  }

  HRESULT Restore() override {
    std::lock_guard<std::recursive_mutex> hold(MixerLock());
    if (!lost_) return DS_OK;
    if (Registry().failingRestores > 0) {
      --Registry().failingRestores;
      return DSERR_BUFFERLOST;
    }
    lost_ = false;
    return DS_OK;
  }

  void MixInto(int32_t* sum, int frames) override {
    if (!playing_) return;
    const uint64_t count = FrameCount();
    if (count == 0) {
      Finish();
      return;
    }
    const WAVEFORMATEX& format = data_->format;
    const uint64_t step = (static_cast<uint64_t>(format.nSamplesPerSec) << 32) / kMixRate;
    for (int i = 0; i < frames; ++i) {
      uint64_t frame = position_ >> 32;
      if (frame >= count) {
        if (!looping_) {
          Finish();
          return;
        }
        position_ -= count << 32;
        frame = position_ >> 32;
      }
      int32_t a = Sample(frame);
      int32_t b = frame + 1 < count ? Sample(frame + 1) : (looping_ ? Sample(0) : a);
      int64_t fraction = static_cast<int64_t>(position_ & 0xFFFFFFFFu);
      sum[i] += a + static_cast<int32_t>(((b - a) * fraction) >> 32);
      position_ += step;
    }
  }

 private:
  uint64_t FrameCount() const {
    return data_->bytes.size() / std::max<WORD>(data_->format.nBlockAlign, 1);
  }

  // One frame as a 16-bit mono value: channels averaged, 8-bit samples centred and widened.
  int32_t Sample(uint64_t frame) const {
    const WAVEFORMATEX& format = data_->format;
    const uint8_t* p = data_->bytes.data() + frame * format.nBlockAlign;
    int32_t total = 0;
    for (int channel = 0; channel < format.nChannels; ++channel) {
      if (format.wBitsPerSample == 8) {
        total += (static_cast<int32_t>(p[channel]) - 128) * 256;
      } else {
        int16_t value;
        std::memcpy(&value, p + channel * 2, 2);
        total += value;
      }
    }
    return total / format.nChannels;
  }

  void Finish() {
    // A buffer that played to its end is ready to play again from its start.
    playing_ = false;
    position_ = 0;
    RemoveMixSource(this);
  }

  std::shared_ptr<SoundBytes> data_;
  bool primary_;
  bool playing_ = false;
  bool looping_ = false;
  bool lost_ = false;
  uint64_t position_ = 0;  // in frames, 32.32 fixed point
};

class SoundDevice final : public IDirectSound8 {
 public:
  ~SoundDevice() override { ReleaseAudioOutput(); }

  ULONG Release() override {
    delete this;
    return 0;
  }

  HRESULT SetCooperativeLevel(HWND, DWORD level) override {
    if (level < DSSCL_NORMAL || level > 3) return DSERR_INVALIDPARAM;
    level_ = level;
    return DS_OK;
  }

  HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, void* outer) override {
    if (buffer == nullptr) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (description == nullptr || description->dwSize != sizeof(DSBUFFERDESC) || outer != nullptr) {
      return DSERR_INVALIDPARAM;
    }
    if (level_ == 0) return DSERR_PRIOLEVELNEEDED;
    auto data = std::make_shared<SoundBytes>();
    const bool primary = (description->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0;
    if (primary) {
      if (description->dwBufferBytes != 0 || description->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
      data->format = {WAVE_FORMAT_PCM, 1, kMixRate, kMixRate * 2, 2, 16, 0};
    } else {
      if (!FormatUsable(description->lpwfxFormat)) return DSERR_BADFORMAT;
      DWORD bytes = description->dwBufferBytes;
      if (bytes == 0 || bytes > DSBSIZE_MAX || bytes % description->lpwfxFormat->nBlockAlign != 0) {
        return DSERR_INVALIDPARAM;
      }
      data->format = *description->lpwfxFormat;
      try {
        data->bytes.assign(bytes, data->format.wBitsPerSample == 8 ? 128 : 0);
      } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
      }
    }
    *buffer = new SoundBuffer(std::move(data), primary);
    return DS_OK;
  }

  HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) override {
    if (duplicate == nullptr) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    auto* source = dynamic_cast<SoundBuffer*>(original);
    if (source == nullptr || source->IsPrimary()) return DSERR_INVALIDCALL;
    *duplicate = new SoundBuffer(source->Data(), false);
    return DS_OK;
  }

 private:
  DWORD level_ = 0;
};

}  // namespace
}  // namespace host

HRESULT DirectSoundCreate8(LPCGUID device, IDirectSound8** sound, void* outer) {
  if (sound == nullptr) return DSERR_INVALIDPARAM;
  *sound = nullptr;
  if (device != nullptr || outer != nullptr) return DSERR_INVALIDPARAM;
  if (host::Registry().refuseDevice || !host::AcquireAudioOutput()) return DSERR_NODRIVER;
  *sound = new host::SoundDevice;
  return DS_OK;
}

void HostTestRefuseAudioDevice(bool refuse) { host::Registry().refuseDevice = refuse; }

void HostTestLoseSoundBuffers(int failingRestores) {
  std::lock_guard<std::recursive_mutex> hold(host::MixerLock());
  host::Registry().failingRestores = failingRestores;
  for (host::SoundBuffer* buffer : host::Registry().buffers) {
    if (!buffer->IsPrimary()) {
      buffer->Stop();
      buffer->MarkLost();
    }
  }
}
