// Reads a whole file of the data folder at once, telling a file that is not there (a kind of
// record never written yet) from one that is there but cannot be read: a folder in its place, no
// permission, a loop of links, something that is no plain file. Read as empty, such a file lost
// every record it held at the server's next write, or a read of it aborted the server.
#pragma once

#include <optional>
#include <string>

namespace standin {

struct WholeFile {
  std::optional<std::string> bytes;  // nothing when the file is not there or cannot be read
  std::string error;                 // why it cannot be read ("Is a directory"); "" otherwise
};

WholeFile readWholeFile(const std::string& path);

}  // namespace standin
