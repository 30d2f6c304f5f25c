// Sound on a machine without a sound device: no output is asked for where none can be, so the
// audio library prints nothing on the terminal; the program says so once, in its own words.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <fcntl.h>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/SoundDevices.h"
#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

using namespace plat;

namespace {

TEST(SoundDevices, ACardAServerOrAChosenDriverMayGiveOutputAndNothingElseDoes) {
  sounddevices::Machine bare;
  bare.soundCards = "--- no soundcards ---\n";
  EXPECT_FALSE(sounddevices::mayHaveOutput(bare));
  EXPECT_FALSE(sounddevices::mayHaveOutput(sounddevices::Machine{}));

  sounddevices::Machine card = bare;
  card.soundCards = " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
                    "                      HDA Intel PCH at 0xf7f10000 irq 32\n";
  EXPECT_TRUE(sounddevices::mayHaveOutput(card));

  sounddevices::Machine server = bare;
  server.serverSocket = true;
  EXPECT_TRUE(sounddevices::mayHaveOutput(server));
  sounddevices::Machine remote = bare;
  remote.pulseServer = "tcp:127.0.0.1:4713";
  EXPECT_TRUE(sounddevices::mayHaveOutput(remote));
  sounddevices::Machine chosen = bare;
  chosen.audioDriver = "dummy";
  EXPECT_TRUE(sounddevices::mayHaveOutput(chosen)) << "the user's own choice is followed";
}

// Runs `body` with the process's standard error going to a file; what was written there.
std::string standardErrorOf(const std::function<void()>& body) {
  const std::string folder = testsupport::makeTempDir("sound-stderr");
  const std::string path = folder + "/stderr.txt";
  std::fflush(stderr);
  const int saved = dup(2);
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(file, 2);
  close(file);
  body();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  const std::string text = plat::files::readFile(path).value_or("");
  plat::files::remove(folder);
  return text;
}

TEST(SoundDevices, WithoutOneSoundingIsSilentAndSaidOnceWithoutTheAudioLibrarysNoise) {
  const std::string runtime = testsupport::makeTempDir("sound-runtime");
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  unsetenv("PULSE_SERVER");
  unsetenv("SDL_AUDIODRIVER");
  if (sounddevices::mayHaveOutput(sounddevices::thisMachine()))
    GTEST_SKIP() << "this machine has a sound card";

  PcmSound beep;
  beep.rate = 22050;
  beep.channels = 1;
  beep.samples.assign(2205, 1000);
  int owner = 0;
  const std::string said = standardErrorOf([&] {
    EXPECT_FALSE(AudioOutput::shared().start(beep, &owner, nullptr));
    EXPECT_FALSE(AudioOutput::shared().start(beep, &owner, nullptr));
    AudioOutput::shared().stop(&owner);
  });
  EXPECT_EQ(said, std::string(sounddevices::kSilentNotice) + "\n");
  plat::files::remove(runtime);
}

}  // namespace
