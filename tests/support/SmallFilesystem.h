// A tiny memory filesystem mounted for one test, for failures of a full disk: a real ENOSPC from
// the kernel rather than a stand-in. Mounting needs root (as CI runs); elsewhere available() is
// false and skipReason() says why, for GTEST_SKIP.
#pragma once

#include <cstddef>
#include <string>

namespace testsupport {

class SmallFilesystem {
 public:
  // On a new temporary folder, or over `folder` (made when missing) such as one of the app
  // home's folders.
  explicit SmallFilesystem(size_t kilobytes = 64, const std::string& folder = "");
  ~SmallFilesystem();  // unmounts, and removes a temporary mount point
  SmallFilesystem(const SmallFilesystem&) = delete;
  SmallFilesystem& operator=(const SmallFilesystem&) = delete;

  bool available() const { return mounted_; }
  const std::string& skipReason() const { return skipReason_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool mounted_ = false;
  bool ownsFolder_;
  std::string skipReason_;
};

}  // namespace testsupport
