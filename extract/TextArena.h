// Copies of many short texts at addresses that never change, for tables that view them: the
// copies are packed into large blocks, and a full block stays where it is while a new one takes
// the next copies. Nothing is freed before the arena is.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

class TextArena {
 public:
  TextArena() = default;
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // A copy of `text` that lives as long as the arena.
  std::string_view keep(std::string_view text) {
    if (text.size() > blockSize_ - used_) {
      blockSize_ = std::max(kBlockSize, text.size());
      blocks_.push_back(std::make_unique<char[]>(blockSize_));
      used_ = 0;
    }
    char* copy = blocks_.empty() ? nullptr : blocks_.back().get() + used_;
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    used_ += text.size();
    return {copy, text.size()};
  }

 private:
  static constexpr size_t kBlockSize = 64 * 1024;

  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t blockSize_ = 0;  // of the last block
  size_t used_ = 0;       // of the last block
};
