#include "platform/audio/AudioPlayer.h"

#include "platform/audio/AudioOutput.h"
#include "platform/base/RunLoop.h"

namespace plat {

namespace {
const std::string kEndKey = "audio.end";
}

std::unique_ptr<AudioPlayer> AudioPlayer::withData(std::span<const uint8_t> data,
                                                   std::string* error) {
  auto sound = decodeMp3(data, error);
  if (!sound) return nullptr;
  return std::make_unique<AudioPlayer>(std::move(*sound));
}

AudioPlayer::~AudioPlayer() {
  stop();
}

bool AudioPlayer::play() {
  if (sound_.frames() == 0) return false;
  endPlayback();
  audible_ = AudioOutput::shared().start(sound_, this, [this] { endPlayback(); });
  playing_ = true;
  loop_ = &RunLoop::current();
  loop_->performAfter(duration(), this, kEndKey, [this] {
    endPlayback();
    AudioOutput::shared().stop(this);
    if (finished_) finished_();
  });
  return true;
}

void AudioPlayer::stop() {
  AudioOutput::shared().stop(this);
  endPlayback();
}

void AudioPlayer::endPlayback() {
  if (loop_) loop_->cancelPerforms(this, kEndKey);
  loop_ = nullptr;
  playing_ = false;
  audible_ = false;
}

}  // namespace plat
