// The one pronunciation player of the process. It plays a word's recording from the voice packs,
// zip archives holding "words_voices/<first character>/<word>.mp3" of the lower-cased word: the
// pack shipped in the bundle ("words_voices.zip") first, then the downloaded packs
// "down_words_voices_1.zip" and "down_words_voices_2.zip" of Application Support, in that order.
// Main thread only; playback runs in the platform's player and nothing waits for it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioPlayer.h"
#include "util/ZipFile.h"

class AudioControl {
 public:
  // The one player, made (with its packs opened) on first use.
  static AudioControl& sharedAudio();
  // Closes the packs and stops the sound of the player that exists, and forgets it; the next
  // sharedAudio() opens the packs again.
  static void releaseAudio();

  // Pronounces the word. isCheck: the learner asked (a sound button), so a word that no pack
  // holds is reported; false for the card's automatic pronunciation, which stays silent.
  void playerWord(const std::string& word, bool isCheck);
  // Closes and reopens the downloaded packs, after a pack download; the shipped pack stays open.
  void resetNetSountPack();

  // The entry that holds the word's recording: "words_voices/a/apple.mp3" for "Apple". The folder
  // is the first character of the lower-cased word, whole (a UTF-8 sequence, not its first byte).
  static std::string entryNameForWord(const std::string& word);

  static constexpr const char* kShippedPackName = "words_voices.zip";
  static constexpr const char* kDownloadedPackNames[2] = {"down_words_voices_1.zip",
                                                          "down_words_voices_2.zip"};

  // ---- What tests look at
  // The player of the pronunciation playing or last played; null before the first.
  const plat::AudioPlayer* newPlayer() const { return newPlayer_.get(); }
  bool hasShippedPack() const { return zip_ != nullptr; }
  size_t downloadedPackCount() const { return ZipObjArr_.size(); }
  // The archive the last recording was read from ("" when none was).
  const std::string& lastPackPath() const { return lastPackPath_; }
  // Whether an instance exists now.
  static bool exists();

  ~AudioControl();

 private:
  AudioControl();
  AudioControl(const AudioControl&) = delete;
  AudioControl& operator=(const AudioControl&) = delete;

  void changeAudioFile();
  void openDownloadedPacks();
  bool play_fromPro(const std::string& word);
  bool play_fromNet(const std::string& word);
  // True when the search may stop: the word was found (played, or found damaged).
  bool playSound(ZipFile& pack, const std::string& word);
  void closeAll();

  std::unique_ptr<ZipFile> zip_;
  std::vector<std::unique_ptr<ZipFile>> ZipObjArr_;
  std::unique_ptr<plat::AudioPlayer> newPlayer_;
  std::string lastPackPath_;
};
