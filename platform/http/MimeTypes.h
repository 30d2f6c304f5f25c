// The MIME type of a file from its name's extension, as uploads announce it.
#pragma once

#include <optional>
#include <string>

namespace plat::http {

// The type for an extension ("png" -> "image/png"), letter case ignored; nullopt when unknown.
std::optional<std::string> mimeTypeForExtension(const std::string& extension);

}  // namespace plat::http
