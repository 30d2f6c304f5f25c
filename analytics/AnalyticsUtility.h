// The analytics files in the caches folder (record cache, envelope files, identity file), their
// order by age, and the compression and cipher of envelope payloads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class AnalyticsUtility {
 public:
  using Bytes = std::vector<uint8_t>;

  static std::string cacheDirectory();
  static std::string analyticsDirectory();  // ".analytics", made when missing
  static std::string cacheFilePath();
  // Names kept for a background cache and a single envelope file; nothing writes them.
  static std::string bgCacheFilePath();
  static std::string envelopeFilePath();
  // "." + the package name + suffix, in the caches folder.
  static std::string hiddenCacheFile(const std::string& suffix);
  static std::string exchangeIdentityPath();
  static std::string generateEnvelopeFileNameWithTS(const std::string& ts);

  static bool isExistAtPath(const std::string& path);
  static bool makeAbsDir(const std::string& path);
  // Writes atomically, but never over something that exists; false when nothing was written,
  // also when another save of the same path, from any thread, got there first. Safe on any
  // thread.
  static bool saveData(const std::string& data, const std::string& path);
  // The same for an envelope file, without waiting for the disk: a power cut costs at most the
  // envelopes of its last moments. The job reads envelopes on the main thread, where they are
  // saved, so it finds each whole or not at all; one left empty by a kill on a file system
  // without no-replace renames is too small for the job, which removes it.
  static bool saveEnvelope(const std::string& data, const std::string& path);
  static void removeFile(const std::string& path);
  static std::vector<std::string> itemsInAbsDir(const std::string& folder);  // hidden ones skipped
  static std::vector<std::string> envelopeFiles();
  // When a file was made: for an envelope file the time its name carries (this system cannot set
  // a file's creation time, so names keep it), otherwise the file system's creation time.
  static std::optional<double> creationTime(const std::string& path);
  static void sortFileWithCreatedTime(std::vector<std::string>& paths);  // oldest first
  static double durationNowWith1970TimeInterval(double seconds);

  // AES-128-CBC with PKCS#7 padding under the envelope's fixed vector; nullopt on failure.
  static std::optional<Bytes> AES128EncryptData(const Bytes& data, const uint8_t key[16]);
  static std::optional<Bytes> AES128DecryptData(const Bytes& data, const uint8_t key[16]);
};

class ANDeflated {
 public:
  // The zlib format (RFC 1950) at the default level; nullopt on failure.
  static std::optional<std::string> deflatedData(const std::string& source);
  static std::optional<std::string> deflatedDataPrefixedWith(const std::string& prefix, int level,
                                                             const std::string& source);
};
