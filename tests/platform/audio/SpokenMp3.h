// Real MP3 recordings for the audio tests, spoken by espeak-ng and encoded by lame as the voice
// pack is, and the duration that mpg123's own program decodes from a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

// The recording of `text` (letters and spaces only: it goes through a shell).
std::vector<uint8_t> spokenMp3(const std::string& text);
// Seconds of audio that the mpg123 program decodes from a recording made as above; negative when
// it fails.
double mpg123Duration(const std::string& mp3Path);

}  // namespace audiotest
