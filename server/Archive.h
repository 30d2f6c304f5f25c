// The stand-in server's side of the backed-up study data: the app's zip archives read and written
// with minizip, independently of the app's own zip code, and a changed-rows dump laid over the
// account's data.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace standin {

// A zip archive of one entry (the app's backup archives), and back: the text of every entry in
// order (nothing when the bytes are no archive).
std::string zipOneEntry(const std::string& entryName, const std::string& content);
std::vector<std::pair<std::string, std::string>> unzipEntries(const std::string& archive);
// As above, inflating at most `largest` bytes in all, whatever the archive says of its entries:
// nothing, with `tooLarge` set, when they hold more.
std::vector<std::pair<std::string, std::string>> unzipEntries(const std::string& archive,
                                                              size_t largest, bool& tooLarge);

// Lays a dump (`changes`, as the app uploads it) over the study data in `base`: rows replace rows
// of the same key (first field; the setting's name for Var_Config), and the word ids of
// "delete_words" remove that word's rows. The result has no "delete_words" section.
std::string mergeDump(const std::string& base, const std::string& changes);

}  // namespace standin
