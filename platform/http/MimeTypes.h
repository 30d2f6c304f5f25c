// The MIME type of a file from its name's extension, as uploads announce it: the system's table
// (/etc/mime.types, read once), and a short list of our own for what the table lacks or where it
// is missing.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

namespace plat::http {

// The type for an extension ("png" -> "image/png"), letter case ignored; nullopt when unknown.
std::optional<std::string> mimeTypeForExtension(const std::string& extension);

// Extension (lower case) -> type, from a table in the mime.types form ("type ext ext ...", "#"
// comments); empty when the file cannot be read. The first type that names an extension wins.
std::unordered_map<std::string, std::string> readMimeTypesFile(const std::string& path);

}  // namespace plat::http
