// Replaces several files together, or none of them: each is first written beside its place
// ("<file>.tmp"), and only once every one is written are they renamed over their places. A write
// that fails (a full disk) leaves every file as it was and no temporary file behind: cut short, a
// temporary file held the disk's last free space. A rename that fails, which only a hand in the
// folder or a failing file system brings about, stops there with the renames before it done.
// One thread at a time.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace standin {

// What a temporary file's name adds to its file's.
inline constexpr const char* kTemporarySuffix = ".tmp";

class StagedWrite {
 public:
  StagedWrite() = default;
  ~StagedWrite();  // takes away what was written and not renamed
  StagedWrite(const StagedWrite&) = delete;
  StagedWrite& operator=(const StagedWrite&) = delete;

  // Writes `bytes` beside `path`; "" on success, else what went wrong and where.
  std::string stage(const std::string& path, const std::string& bytes);
  // Renames every file staged over its place, in the order staged; "" on success.
  std::string commit();

 private:
  std::vector<std::pair<std::string, std::string>> staged_;  // (temporary, place)
};

}  // namespace standin
