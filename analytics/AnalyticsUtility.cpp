#include "analytics/AnalyticsUtility.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <map>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsContext.h"
#include "platform/base/Files.h"
#include "platform/crypto/Aes.h"

namespace {

const uint8_t kEnvelopeIv[16] = {3, 14, 2, 9, 6, 11, 0, 8, 21, 5, 12, 7, 1, 4, 19, 77};

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string AnalyticsUtility::cacheDirectory() {
  return AnalyticsContext::current().cachesDir();
}

std::string AnalyticsUtility::analyticsDirectory() {
  std::string path = plat::files::join(cacheDirectory(), ".analytics");
  if (!isExistAtPath(path)) makeAbsDir(path);
  return path;
}

std::string AnalyticsUtility::hiddenCacheFile(const std::string& suffix) {
  std::string name = ".";
  name += ANUtil::appPackageNameString();
  name += suffix;
  return plat::files::join(cacheDirectory(), name);
}

std::string AnalyticsUtility::cacheFilePath() {
  return hiddenCacheFile("_analyticsCache.plist");
}

std::string AnalyticsUtility::bgCacheFilePath() {
  return hiddenCacheFile("_analyticsbgCache.plist");
}

std::string AnalyticsUtility::envelopeFilePath() {
  return hiddenCacheFile("_analytics_envelope.log");
}

std::string AnalyticsUtility::exchangeIdentityPath() {
  return plat::files::join(analyticsDirectory(), "exchangeIdentity.json");
}

std::string AnalyticsUtility::generateEnvelopeFileNameWithTS(const std::string& ts) {
  return plat::files::join(analyticsDirectory(), ts + "_envelope.log");
}

bool AnalyticsUtility::isExistAtPath(const std::string& path) {
  return plat::files::exists(path);
}

bool AnalyticsUtility::makeAbsDir(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0;
}

bool AnalyticsUtility::saveData(const std::string& data, const std::string& path) {
  return plat::files::writeNewFileAtomically(path, data);
}

bool AnalyticsUtility::saveEnvelope(const std::string& data, const std::string& path) {
  return plat::files::writeNewFileAtomically(path, data, false);
}

void AnalyticsUtility::removeFile(const std::string& path) {
  if (isExistAtPath(path)) plat::files::remove(path);
}

std::vector<std::string> AnalyticsUtility::itemsInAbsDir(const std::string& folder) {
  std::vector<std::string> items;
  for (const std::string& name : plat::files::list(folder)) {
    if (!name.empty() && name[0] != '.') items.push_back(plat::files::join(folder, name));
  }
  return items;
}

std::vector<std::string> AnalyticsUtility::envelopeFiles() {
  std::vector<std::string> files;
  for (const std::string& path : itemsInAbsDir(analyticsDirectory())) {
    if (endsWith(path, "_envelope.log")) files.push_back(path);
  }
  return files;
}

std::optional<double> AnalyticsUtility::creationTime(const std::string& path) {
  // An envelope's name is the time it was made, in milliseconds; a name whose digits do not make
  // such a time (too many of them) falls back to the file's own date.
  std::string name = plat::files::lastPathComponent(path);
  size_t digits = name.find_first_not_of("0123456789");
  if (digits > 0 && digits != std::string::npos && name.substr(digits) == "_envelope.log") {
    int64_t ms = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + digits, ms);
    if (error == std::errc() && end == name.data() + digits)
      return static_cast<double>(ms) / 1000.0;
  }
  return plat::files::creationDate(path);
}

void AnalyticsUtility::sortFileWithCreatedTime(std::vector<std::string>& paths) {
  double now = AnalyticsContext::current().now();
  std::map<std::string, int32_t> ages;
  for (const std::string& path : paths) {
    // Whole seconds, held at the 32-bit bounds for a date far off (a name from another clock).
    double age =
        std::clamp(now - creationTime(path).value_or(now), double{INT32_MIN}, double{INT32_MAX});
    ages[path] = static_cast<int32_t>(age);
  }
  std::stable_sort(paths.begin(), paths.end(), [&ages](const std::string& a, const std::string& b) {
    return ages[a] > ages[b];
  });
}

double AnalyticsUtility::durationNowWith1970TimeInterval(double seconds) {
  return AnalyticsContext::current().now() - seconds;
}

std::optional<AnalyticsUtility::Bytes> AnalyticsUtility::AES128EncryptData(const Bytes& data,
                                                                           const uint8_t key[16]) {
  return plat::crypto::aes128CbcEncrypt(data, plat::crypto::AesKey(key, 16),
                                        plat::crypto::AesIv(kEnvelopeIv, 16));
}

std::optional<AnalyticsUtility::Bytes> AnalyticsUtility::AES128DecryptData(const Bytes& data,
                                                                           const uint8_t key[16]) {
  return plat::crypto::aes128CbcDecrypt(data, plat::crypto::AesKey(key, 16),
                                        plat::crypto::AesIv(kEnvelopeIv, 16));
}

std::optional<std::string> ANDeflated::deflatedData(const std::string& source) {
  return deflatedDataPrefixedWith("", Z_DEFAULT_COMPRESSION, source);
}

std::optional<std::string> ANDeflated::deflatedDataPrefixedWith(const std::string& prefix,
                                                                int level,
                                                                const std::string& source) {
  uLongf room = compressBound(static_cast<uLong>(source.size()));
  std::string out(prefix.size() + room, '\0');
  std::copy(prefix.begin(), prefix.end(), out.begin());
  int result = compress2(reinterpret_cast<Bytef*>(out.data() + prefix.size()), &room,
                         reinterpret_cast<const Bytef*>(source.data()),
                         static_cast<uLong>(source.size()), level);
  if (result != Z_OK) return std::nullopt;
  out.resize(prefix.size() + room);
  return out;
}
