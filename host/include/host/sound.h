// The host's sound device: a small DirectSound 8 with one device, a primary buffer whose format is only checked,
// and secondary buffers of PCM that play once or in a loop. Every playing buffer is mixed in software into one
// audio stream (mono, 44,100 Hz, 16-bit). Without an audio device DirectSoundCreate8 fails and the caller runs
// silent.
#pragma once

#include "host/types.h"

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000A);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046);

constexpr bool SUCCEEDED(HRESULT result) { return result >= 0; }
constexpr bool FAILED(HRESULT result) { return result < 0; }

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr DWORD DSBSTATUS_PLAYING = 0x1;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x2;
constexpr DWORD DSBSTATUS_LOOPING = 0x4;
constexpr DWORD DSBPLAY_LOOPING = 0x1;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;
constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using LPCGUID = const GUID*;

// Packed as the system packs it: 18 bytes.
#pragma pack(push, 2)
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#pragma pack(pop)

// dwSize must be sizeof(DSBUFFERDESC).
struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  WAVEFORMATEX* lpwfxFormat;
  GUID guid3DAlgorithm;
};

// A sound buffer. A secondary buffer holds PCM of its own format (8-bit unsigned or 16-bit signed, one or two
// channels, 1 to 192,000 samples a second); duplicates share their original's memory but play on their own.
class IDirectSoundBuffer {
 public:
  virtual ULONG Release() = 0;
  virtual HRESULT GetStatus(DWORD* status) = 0;
  // Locks bytes from an offset (DSBLOCK_ENTIREBUFFER: the whole buffer). The second part is for a range that
  // wraps past the end; here it is always empty.
  virtual HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
                       DWORD flags) = 0;
  virtual HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) = 0;
  // Starts playing from the current position (reserved must be 0); a buffer that plays already keeps its place.
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT SetCurrentPosition(DWORD byteOffset) = 0;
  // Primary buffer only: the format the device should run at.
  virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
  // Gives a lost buffer its memory back; its contents must then be written again.
  virtual HRESULT Restore() = 0;

 protected:
  virtual ~IDirectSoundBuffer() = default;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

class IDirectSound8 {
 public:
  virtual ULONG Release() = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, void* outer) = 0;
  virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) = 0;

 protected:
  virtual ~IDirectSound8() = default;
};
using LPDIRECTSOUND8 = IDirectSound8*;

// device: null for the default device (the only one). DSERR_NODRIVER when no audio output can be opened.
HRESULT DirectSoundCreate8(LPCGUID device, IDirectSound8** sound, void* outer);
