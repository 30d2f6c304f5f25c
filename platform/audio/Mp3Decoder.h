// Decodes a whole MP3 recording held in memory into 16-bit PCM. Pronunciations are a second or
// two long, so decoding all at once keeps playback simple and tells the duration up front.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plat {

struct PcmSound {
  std::vector<int16_t> samples;  // interleaved by channel
  long rate = 0;                 // frames per second
  int channels = 0;

  size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
  double duration() const { return rate > 0 ? double(frames()) / double(rate) : 0.0; }
};

// The decoded sound, or nullopt with `error` set when the data holds no decodable MP3 audio.
std::optional<PcmSound> decodeMp3(std::span<const uint8_t> data, std::string* error = nullptr);

}  // namespace plat
