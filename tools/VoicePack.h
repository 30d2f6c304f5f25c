// Makes the shipped voice pack: one MP3 recording per headword of the shipped learn.db, spoken by
// espeak-ng and encoded by lame (both run as programs, several words at once), stored in a zip
// archive under the entry names the pronunciation player looks up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// The headwords of the database's word library, lower-cased as the player looks them up, each
// once, sorted. Throws BuildError (tools/TsvFile.h) when the database cannot be read.
std::vector<std::string> readVoiceWords(const std::string& learnDbPath);

// Writes the list, one word a line, only when it differs from what the file holds, so that the
// file's time stamp changes only with the word list. Returns whether it wrote.
bool writeWordListIfChanged(const std::vector<std::string>& words, const std::string& path);
std::vector<std::string> readWordList(const std::string& path);

// The word spoken and encoded: a short low-bitrate mono MP3. Throws BuildError when a program
// fails or gives nothing.
std::vector<uint8_t> speakWord(const std::string& word);

// How many words are spoken at once: `setting` (a whole number from 1 up, from the command line or
// VOCAB_JOBS, the build's JOBS) capped at `cores`; every core when there is no setting. Throws
// BuildError when the setting is not such a number.
unsigned recordingJobs(const char* setting, unsigned cores);

// Writes the pack for `words` to packPath (through a temporary file and a rename), speaking with
// `jobs` words at a time. When packPath already holds exactly these words it is kept and only
// touched. Returns the number of recordings made.
size_t makeVoicePack(const std::vector<std::string>& words, const std::string& packPath,
                     unsigned jobs);

}  // namespace tools
