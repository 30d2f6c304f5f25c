// Puts a downloaded voice pack in place: the body is written to Caches under the pack's name,
// checked to be a whole zip archive, then moved over any pack of that name in Application
// Support and kept out of the device backup. Nothing half-written is ever left to the player.
#pragma once

#include <cstdint>
#include <string>

namespace VoicePackInstaller {

// `announced` is the length the server announced (0: none). False, with no file left behind
// and an older pack untouched, when the body is short, no zip archive, or cannot be written or
// moved.
bool install(const std::string& body, uint64_t announced, const std::string& fileName);

}  // namespace VoicePackInstaller
