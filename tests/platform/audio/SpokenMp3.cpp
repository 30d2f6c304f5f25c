#include "tests/platform/audio/SpokenMp3.h"

#include <cstdio>

namespace audiotest {

namespace {

std::vector<uint8_t> commandOutput(const std::string& command) {
  std::vector<uint8_t> out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  uint8_t buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
  if (pclose(pipe) != 0) out.clear();
  return out;
}

}  // namespace

std::vector<uint8_t> spokenMp3(const std::string& text) {
  return commandOutput("printf '%s' '" + text +
                       "' | espeak-ng -v en-us --stdin --stdout | "
                       "lame --silent -m m -b 16 --resample 16 - -");
}

double mpg123Duration(const std::string& mp3Path) {
  // mpg123 writes the samples raw: 16-bit mono at 16 kHz, as the recordings are encoded.
  std::vector<uint8_t> samples = commandOutput("mpg123 -q -s '" + mp3Path + "'");
  return samples.empty() ? -1 : samples.size() / 32000.0;
}

}  // namespace audiotest
