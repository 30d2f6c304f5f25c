#include "tests/platform/audio/SpokenMp3.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

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

uint32_t le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

std::vector<uint8_t> spokenMp3(const std::string& text) {
  return commandOutput("printf '%s' '" + text +
                       "' | espeak-ng -v en-us --stdin --stdout | "
                       "lame --silent -m m -b 16 --resample 16 - -");
}

double mpg123Duration(const std::string& mp3Path) {
  // mpg123 writes the decoded audio as a WAV file to standard output.
  std::vector<uint8_t> wav = commandOutput("mpg123 -q -w - '" + mp3Path + "'");
  if (wav.size() < 12 || std::memcmp(wav.data(), "RIFF", 4) != 0) return -1;
  uint32_t byteRate = 0;
  for (size_t at = 12; at + 8 <= wav.size();) {
    uint32_t size = le32(&wav[at + 4]);
    if (std::memcmp(&wav[at], "fmt ", 4) == 0 && at + 16 <= wav.size())
      byteRate = le32(&wav[at + 16]);
    if (std::memcmp(&wav[at], "data", 4) == 0 && byteRate > 0)
      // A header written to a pipe may not know the data size: count what follows instead.
      return double(wav.size() - at - 8) / byteRate;
    at += 8 + size;
  }
  return -1;
}

}  // namespace audiotest
