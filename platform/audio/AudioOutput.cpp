#include "platform/audio/AudioOutput.h"

#include <SDL.h>

#include <cstdio>
#include <utility>

#include "platform/audio/SoundDevices.h"
#include "platform/base/Clock.h"

namespace plat {

AudioOutput& AudioOutput::shared() {
  static AudioOutput output;
  return output;
}

bool AudioOutput::openDevice(const PcmSound& sound) {
  if (device_ != 0 && rate_ == sound.rate && channels_ == sound.channels) return true;
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  if (!sdlStarted_) {
    if (!sounddevices::mayHaveOutput(sounddevices::thisMachine())) {
      std::fprintf(stderr, "%s\n", sounddevices::kSilentNotice);
      unavailable_ = true;
      return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      unavailable_ = true;
      return false;
    }
    sdlStarted_ = true;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = int(sound.rate);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = Uint8(sound.channels);
  wanted.samples = 1024;
  SDL_AudioSpec obtained{};
  // SDL converts to what the device takes.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) {
    unavailable_ = true;
    return false;
  }
  rate_ = sound.rate;
  channels_ = sound.channels;
  return true;
}

bool AudioOutput::start(const PcmSound& sound, const void* owner, std::function<void()> cutOff) {
  silenceDevice();
  // The previous owner hears of it once the new one is in place, so its own stop() is a no-op.
  auto previous = std::exchange(cutOff_, std::move(cutOff));
  owner_ = owner;
  if (previous) previous();
  if (Clock::current().isVirtual() || unavailable_ || sound.samples.empty()) return false;
  if (!openDevice(sound)) return false;
  if (SDL_QueueAudio(device_, sound.samples.data(), Uint32(sound.samples.size() * 2)) != 0)
    return false;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void AudioOutput::stop(const void* owner) {
  if (owner == nullptr || owner != owner_) return;
  owner_ = nullptr;
  cutOff_ = nullptr;
  silenceDevice();
}

void AudioOutput::silenceDevice() {
  if (device_ == 0) return;
  SDL_PauseAudioDevice(device_, 1);
  SDL_ClearQueuedAudio(device_);
}

void AudioOutput::shutdown() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
  if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  sdlStarted_ = false;
}

}  // namespace plat
