// make_voice_pack words <learn.db> <word list>: writes the list of words to record, touching the
//   file only when the list changed (the pack's build depends on it).
// make_voice_pack pack <word list> <words_voices.zip> [jobs]: records every word into the pack,
//   `jobs` (or else VOCAB_JOBS, which the Makefile sets to its JOBS) words at a time, at most one
//   per core.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tools/TsvFile.h"
#include "tools/VoicePack.h"

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "words" && argc == 4) {
      auto words = tools::readVoiceWords(argv[2]);
      if (tools::writeWordListIfChanged(words, argv[3]))
        std::printf("Voice pack word list: %zu words\n", words.size());
      return 0;
    }
    if (command == "pack" && (argc == 4 || argc == 5)) {
      unsigned jobs = tools::recordingJobs(argc == 5 ? argv[4] : std::getenv("VOCAB_JOBS"),
                                           std::thread::hardware_concurrency());
      auto start = std::chrono::steady_clock::now();
      size_t made = tools::makeVoicePack(tools::readWordList(argv[2]), argv[3], jobs);
      double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (made > 0) std::printf("Voice pack: %zu recordings in %.1f s\n", made, seconds);
      return 0;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_voice_pack: %s\n", error.what());
    return 1;
  }
  std::fprintf(stderr,
               "usage: make_voice_pack words <learn.db> <word list>\n"
               "       make_voice_pack pack <word list> <words_voices.zip> [jobs]\n");
  return 2;
}
