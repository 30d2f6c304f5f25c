// A player of one MP3 recording held in memory. The recording is decoded when the player is made,
// so a damaged one is refused there and the duration is known before it plays. Playing goes to
// the shared AudioOutput (one sound at a time: a player that starts cuts off the one playing);
// where no device sounds it, the player keeps the same timing in silence. The finished callback
// runs on the run loop of the thread that called play(), once the sound has played to its end.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/audio/Mp3Decoder.h"

namespace plat {

class RunLoop;

class AudioPlayer {
 public:
  // The player, or null with `error` set when the data holds no decodable MP3 audio.
  static std::unique_ptr<AudioPlayer> withData(std::span<const uint8_t> data,
                                               std::string* error = nullptr);
  explicit AudioPlayer(PcmSound sound) : sound_(std::move(sound)) {}
  ~AudioPlayer();  // stops
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;

  // Plays from the beginning (again, when already playing). Returns false when there is nothing
  // to play.
  bool play();
  // Stops without telling the finished callback.
  void stop();

  bool isPlaying() const { return playing_; }
  // Whether the current playback reaches a sound device (false: silent timing only).
  bool isAudible() const { return audible_; }
  double duration() const { return sound_.duration(); }
  const PcmSound& sound() const { return sound_; }

  // Runs when a playback ends by itself: not after stop(), nor when another sound cut it off.
  void setFinished(std::function<void()> finished) { finished_ = std::move(finished); }

 private:
  void endPlayback();

  PcmSound sound_;
  bool playing_ = false;
  bool audible_ = false;
  RunLoop* loop_ = nullptr;  // where the end of the current playback is timed
  std::function<void()> finished_;
};

}  // namespace plat
