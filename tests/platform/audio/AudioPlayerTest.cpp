#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioPlayer.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "tests/platform/audio/SpokenMp3.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"
#include "tests/support/VirtualTime.h"

using namespace plat;

namespace {

// Recordings are made once for the whole program: espeak-ng and lame take a while.
const std::vector<uint8_t>& recording(const std::string& word) {
  static std::map<std::string, std::vector<uint8_t>> made;
  auto& mp3 = made[word];
  if (mp3.empty()) mp3 = audiotest::spokenMp3(word);
  return mp3;
}

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(hello_.empty()) << "espeak-ng and lame make the test recordings";
  }
  static std::unique_ptr<AudioPlayer> player(const std::vector<uint8_t>& mp3) {
    std::string error;
    auto made = AudioPlayer::withData(mp3, &error);
    EXPECT_TRUE(made) << error;
    return made;
  }

  testsupport::VirtualTime time_;
  const std::vector<uint8_t>& hello_ = recording("hello");
  const std::vector<uint8_t>& dictionary_ = recording("dictionary");
};

}  // namespace

TEST_F(Player, DecodesTheWholeRecordingAsLongAsMpg123Does) {
  const std::string dir = testsupport::makeTempDir();
  std::ofstream(dir + "/dictionary.mp3", std::ios::binary)
      .write(reinterpret_cast<const char*>(dictionary_.data()), dictionary_.size());
  const double reference = audiotest::mpg123Duration(dir + "/dictionary.mp3");
  files::remove(dir);
  ASSERT_GT(reference, 0.3);

  auto decoded = player(dictionary_);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->sound().rate, 16000);
  EXPECT_EQ(decoded->sound().channels, 1);
  EXPECT_NEAR(decoded->duration(), reference, reference * 0.1);
}

TEST_F(Player, FinishesAfterItsDurationAndRestartsFromTheBeginning) {
  auto word = player(hello_);
  int finished = 0;
  word->setFinished([&] { ++finished; });
  double length = word->duration();

  ASSERT_TRUE(word->play());
  EXPECT_FALSE(word->isAudible()) << "virtual time stays silent";
  time_.advance(length / 2);
  ASSERT_TRUE(word->play()) << "pressed again while sounding";
  time_.advance(length * 0.9);
  EXPECT_TRUE(word->isPlaying()) << "the second playback started from the beginning";
  EXPECT_EQ(finished, 0);
  time_.advance(length * 0.2);
  EXPECT_FALSE(word->isPlaying());
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(AudioOutput::shared().currentOwner(), nullptr);
}

TEST_F(Player, ANewSoundCutsOffThePreviousAndStopIsSilent) {
  auto first = player(dictionary_);
  auto second = player(hello_);
  int firstFinished = 0, secondFinished = 0;
  first->setFinished([&] { ++firstFinished; });
  second->setFinished([&] { ++secondFinished; });

  first->play();
  second->play();
  EXPECT_FALSE(first->isPlaying());
  EXPECT_TRUE(second->isPlaying());
  first->stop();  // stopping a player that was cut off leaves the new sound alone
  EXPECT_EQ(AudioOutput::shared().currentOwner(), second.get());
  time_.advance(first->duration() + second->duration());
  EXPECT_EQ(firstFinished, 0);
  EXPECT_EQ(secondFinished, 1);

  first->play();
  first->stop();
  second.reset();
  time_.advance(first->duration() + 1);
  EXPECT_EQ(firstFinished, 0) << "a stopped sound does not report its end";
  first.reset();
  EXPECT_EQ(AudioOutput::shared().currentOwner(), nullptr);
}

TEST_F(Player, DataThatIsNoMp3IsRefusedAndACutRecordingPlaysWhatItHolds) {
  std::string error;
  EXPECT_FALSE(AudioPlayer::withData({}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(AudioPlayer::withData(std::vector<uint8_t>(4000, 'x'), &error));
  std::vector<uint8_t> cut(dictionary_.begin(), dictionary_.begin() + dictionary_.size() / 2);
  auto half = player(cut);
  ASSERT_TRUE(half);
  EXPECT_LT(half->duration(), player(dictionary_)->duration() * 0.7);
}

// On a machine with a sound device the samples reach it: SDL's disk driver stands in for the device
// and writes what it is given to a file, at the device's pace.
TEST(PlayerDevice, SoundsTheDecodedSamplesThroughTheAudioDevice) {
  std::string folder = testsupport::makeTempDir();
  std::string output = folder + "/device.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  RunLoop::setMainThread();
  auto word = AudioPlayer::withData(audiotest::spokenMp3("book"));
  ASSERT_TRUE(word);
  bool finished = false;
  word->setFinished([&] { finished = true; });
  ASSERT_TRUE(word->play());
  EXPECT_TRUE(word->isAudible());
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return finished; }, testsupport::kPatience));
  RunLoop::main().runUntil([] { return false; }, 0.3);  // the device drains its last buffer
  AudioOutput::shared().shutdown();
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");

  auto written = files::readFile(output);
  ASSERT_TRUE(written);
  const auto* samples = reinterpret_cast<const int16_t*>(written->data());
  size_t count = written->size() / 2, loud = 0;
  for (size_t i = 0; i < count; ++i) loud += std::abs(samples[i]) > 1000;
  EXPECT_GE(double(count), word->sound().samples.size() * 0.9);
  EXPECT_GT(loud, word->sound().samples.size() / 20) << "the word, not silence";
  files::remove(folder);
}
