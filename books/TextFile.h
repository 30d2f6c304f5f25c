// The text files that words can be extracted from: read from disk and decoded as UTF-8, else as
// GB18030. The text files screen refuses a file this cannot read, so that the text page only ever
// loads text it can show.
#pragma once

#include <optional>
#include <string>

namespace textfile {

// The bytes as text: UTF-8 when valid, else GB18030; nullopt when they are neither.
std::optional<std::string> decode(const std::string& bytes);

// The file's text, or nullopt when it cannot be read (missing, a folder, no permission) or decoded.
std::optional<std::string> read(const std::string& path);

}  // namespace textfile
