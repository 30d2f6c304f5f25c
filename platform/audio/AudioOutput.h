// The process's one sound output. It sounds one PCM sound at a time: starting a sound cuts off the
// one before. Sound goes to SDL2's audio device when one can be opened; on a machine without one,
// and whenever the clock is virtual (tests), it stays silent and callers keep the same timing.
#pragma once

#include <functional>

#include "platform/audio/Mp3Decoder.h"

namespace plat {

class AudioOutput {
 public:
  static AudioOutput& shared();

  // Starts `sound` from its beginning for `owner`, cutting off what sounds now: the owner of that
  // sound is told through its `cutOff`. Returns whether a device sounds it (false: silent).
  bool start(const PcmSound& sound, const void* owner, std::function<void()> cutOff);
  // Stops the sound when `owner` started the one sounding now; the owner's cutOff is not called.
  void stop(const void* owner);
  // The owner whose sound is current (played or silent), null when none.
  const void* currentOwner() const { return owner_; }

  // Closes the device (it reopens on the next sound).
  void shutdown();

 private:
  AudioOutput() = default;
  ~AudioOutput() { shutdown(); }
  bool openDevice(const PcmSound& sound);
  void silenceDevice();

  const void* owner_ = nullptr;
  std::function<void()> cutOff_;

  unsigned device_ = 0;  // SDL device id, 0 while closed
  long rate_ = 0;
  int channels_ = 0;
  bool sdlStarted_ = false;
  bool unavailable_ = false;  // SDL's audio found no device: stay silent from then on
};

}  // namespace plat
