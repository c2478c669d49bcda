// Plain sound files read without the media decoders: an uncompressed AIFF (or AIFF-C marked "NONE" or "twos") of
// 16-bit samples at 44,100 Hz, mono or stereo, is already what the mixer plays but for its byte order and channel
// count, so the media calls read it themselves and the decoders need not be loaded for it. Every other file, and
// every file with anything unusual in it, is left to the decoders, which then decide as they always have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The file's samples as mono, 44,100 Hz, 16-bit (stereo mixed down as the decoders' resampler mixes it: the
// rounded-up half of the two channels' sum), at most `maxSamples` of them; false, with `samples` untouched, when
// the bytes are not such a file.
bool ReadPcmAiff(const uint8_t* bytes, size_t size, size_t maxSamples, std::vector<int16_t>* samples);

// The same for a file on the disk (a POSIX path); false when it cannot be read or is not such a file.
bool ReadPcmAiffFile(const std::string& posix, size_t maxSamples, std::vector<int16_t>* samples);

}  // namespace host
