#include "platform/http/MimeTypes.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace plat::http {
namespace {

constexpr const char* kSystemTable = "/etc/mime.types";

std::string lowercased(const std::string& text) {
  std::string out;
  for (char c : text) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Our own list, for a machine without the system's table and for what it leaves out. Never
// destroyed, as the system's table below.
const std::unordered_map<std::string, std::string>& builtInTypes() {
  static const auto& kTypes = *new std::unordered_map<std::string, std::string>{
      {"txt", "text/plain"},
      {"text", "text/plain"},
      {"html", "text/html"},
      {"htm", "text/html"},
      {"css", "text/css"},
      {"csv", "text/csv"},
      {"xml", "application/xml"},
      {"js", "application/javascript"},
      {"json", "application/json"},
      {"rtf", "text/rtf"},
      {"png", "image/png"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"gif", "image/gif"},
      {"bmp", "image/bmp"},
      {"tif", "image/tiff"},
      {"tiff", "image/tiff"},
      {"ico", "image/vnd.microsoft.icon"},
      {"svg", "image/svg+xml"},
      {"webp", "image/webp"},
      {"pdf", "application/pdf"},
      {"zip", "application/zip"},
      {"gz", "application/x-gzip"},
      {"tgz", "application/x-gzip"},
      {"tar", "application/x-tar"},
      {"plist", "application/x-plist"},
      {"mp3", "audio/mpeg"},
      {"m4a", "audio/x-m4a"},
      {"aac", "audio/aac"},
      {"wav", "audio/x-wav"},
      {"aif", "audio/x-aiff"},
      {"aiff", "audio/x-aiff"},
      {"caf", "audio/x-caf"},
      {"mp4", "video/mp4"},
      {"m4v", "video/x-m4v"},
      {"mov", "video/quicktime"},
      {"avi", "video/avi"},
      {"3gp", "video/3gpp"},
      {"doc", "application/msword"},
      {"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
      {"xls", "application/vnd.ms-excel"},
      {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {"ppt", "application/vnd.ms-powerpoint"},
      {"pptx", "application/vnd.openxmlformats-officedocument.presentationml.presentation"},
  };
  return kTypes;
}

}  // namespace

std::unordered_map<std::string, std::string> readMimeTypesFile(const std::string& path) {
  std::unordered_map<std::string, std::string> types;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string type, extension;
    if (!(words >> type) || type.find('/') == std::string::npos) continue;
    while (words >> extension) types.emplace(lowercased(extension), type);
  }
  return types;
}

std::optional<std::string> mimeTypeForExtension(const std::string& extension) {
  // Never destroyed: the backup's thread names the type of the archive it uploads, and may still
  // be doing so as the process exits.
  static const auto& systemTypes =
      *new std::unordered_map<std::string, std::string>(readMimeTypesFile(kSystemTable));
  std::string key = lowercased(extension);
  if (auto found = systemTypes.find(key); found != systemTypes.end()) return found->second;
  if (auto found = builtInTypes().find(key); found != builtInTypes().end()) return found->second;
  return std::nullopt;
}

}  // namespace plat::http
