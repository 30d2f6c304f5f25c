#include "platform/audio/Mp3Decoder.h"

#include <mpg123.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace plat {

namespace {

struct HandleCloser {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};
using Handle = std::unique_ptr<mpg123_handle, HandleCloser>;

bool fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// The decoder's output is fixed to signed 16-bit samples at the stream's own rate and channels.
bool limitToSigned16(mpg123_handle* handle) {
  if (mpg123_format_none(handle) != MPG123_OK) return false;
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i)
    if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
        MPG123_OK)
      return false;
  return true;
}

// The recording in memory as a seekable source, so that the decoder sees the stream's real end.
struct MemorySource {
  std::span<const uint8_t> data;
  size_t position = 0;
};

mpg123_ssize_t readSource(void* handle, void* buffer, size_t count) {
  auto* source = static_cast<MemorySource*>(handle);
  size_t left = source->data.size() - source->position;
  if (count > left) count = left;
  if (count > 0) std::memcpy(buffer, source->data.data() + source->position, count);
  source->position += count;
  return mpg123_ssize_t(count);
}

off_t seekSource(void* handle, off_t offset, int whence) {
  auto* source = static_cast<MemorySource*>(handle);
  off_t base = whence == SEEK_SET   ? 0
               : whence == SEEK_CUR ? off_t(source->position)
                                    : off_t(source->data.size());
  off_t target = base + offset;
  if (target < 0 || target > off_t(source->data.size())) return -1;
  source->position = size_t(target);
  return target;
}

bool decodeInto(mpg123_handle* handle, std::span<const uint8_t> data, PcmSound& sound,
                std::string* error) {
  MemorySource source{data};
  if (mpg123_replace_reader_handle(handle, readSource, seekSource, nullptr) != MPG123_OK ||
      mpg123_open_handle(handle, &source) != MPG123_OK)
    return fail(error, mpg123_strerror(handle));
  unsigned char buffer[16384];
  for (;;) {
    size_t done = 0;
    int result = mpg123_read(handle, buffer, sizeof buffer, &done);
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(handle, &rate, &channels, &encoding);
      // A stream that changes format midway is not a recording we made; keep the first format.
      if (sound.rate == 0) {
        sound.rate = rate;
        sound.channels = channels;
      }
    }
    if (done > 0) {
      const auto* samples = reinterpret_cast<const int16_t*>(buffer);
      sound.samples.insert(sound.samples.end(), samples, samples + done / sizeof(int16_t));
    }
    if (result == MPG123_DONE) break;
    if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
      return fail(error, mpg123_plain_strerror(result));
  }
  if (sound.rate <= 0 || sound.channels <= 0 || sound.frames() == 0)
    return fail(error, "no MP3 audio in the data");
  // Keep whole frames only, in case a damaged stream left half a frame.
  sound.samples.resize(sound.frames() * sound.channels);
  return true;
}

}  // namespace

std::optional<PcmSound> decodeMp3(std::span<const uint8_t> data, std::string* error) {
#if MPG123_API_VERSION < 46
  static const bool initialised = mpg123_init() == MPG123_OK;
  (void)initialised;
#endif
  int result = MPG123_OK;
  Handle handle(mpg123_new(nullptr, &result));
  if (!handle) {
    fail(error, mpg123_plain_strerror(result));
    return std::nullopt;
  }
  // Quiet: a damaged recording is reported to the caller, not on the terminal.
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  if (!limitToSigned16(handle.get())) {
    fail(error, mpg123_strerror(handle.get()));
    return std::nullopt;
  }
  PcmSound sound;
  if (!decodeInto(handle.get(), data, sound, error)) return std::nullopt;
  return sound;
}

}  // namespace plat
