#include "platform/http/MimeTypes.h"

#include <cctype>
#include <unordered_map>

namespace plat::http {

std::optional<std::string> mimeTypeForExtension(const std::string& extension) {
  static const std::unordered_map<std::string, std::string> kTypes = {
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
  std::string key;
  for (char c : extension) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto found = kTypes.find(key);
  if (found == kTypes.end()) return std::nullopt;
  return found->second;
}

}  // namespace plat::http
