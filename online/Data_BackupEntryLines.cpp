#include "online/Data_BackupEntryLines.h"

#include "online/Data_Package.h"
#include "platform/base/Utf.h"
#include "util/ZipException.h"

namespace {

constexpr size_t kReadChunk = size_t{1} << 20;

}  // namespace

DumpEntryLines::DumpEntryLines(ZipFile& archive, uint64_t& dumpBytesSoFar)
    : stream_(archive.readCurrentEntry()),
      announced_(archive.getCurrentZipEntryInfo().length()),
      dumpBytes_(dumpBytesSoFar),
      chunk_(kReadChunk) {
  if (dumpBytes_ + announced_ > kMostDumpBytes)
    throw DumpException("The dump is larger than " + std::to_string(kMostDumpBytes) + " bytes");
}

// Appends the next chunk of the entry to what is pending; false at its end.
bool DumpEntryLines::fill() {
  if (ended_) return false;
  const size_t got = stream_.readDataWithBuffer(chunk_);
  read_ += got;
  dumpBytes_ += got;
  // The announced length was checked; an entry that inflates past it lies about its size.
  if (read_ > announced_ || dumpBytes_ > kMostDumpBytes)
    throw DumpException("The dump is larger than it announces");
  if (got == 0) {
    ended_ = true;
    if (read_ != announced_) throw ZipException("Entry shorter than announced", 0);
    stream_.finishedReading();  // checks the CRC
    return false;
  }
  pending_.erase(0, at_);
  at_ = 0;
  pending_.append(chunk_.begin(), chunk_.begin() + static_cast<long>(got));
  return true;
}

bool DumpEntryLines::next(std::string_view& line) {
  if (done_) return false;
  size_t end;
  while ((end = pending_.find('\n', at_)) == std::string::npos) {
    if (pending_.size() - at_ > kMostLineBytes)
      throw DumpException("A line of the dump is longer than " + std::to_string(kMostLineBytes) +
                          " bytes");
    if (!fill()) {
      end = pending_.size();
      done_ = true;
      break;
    }
  }
  if (end - at_ > kMostLineBytes)
    throw DumpException("A line of the dump is longer than " + std::to_string(kMostLineBytes) +
                        " bytes");
  line_.assign(pending_, at_, end - at_);
  at_ = end + 1;
  if (!plat::utf::isValidUtf8(line_)) throw DumpException("The dump is not UTF-8 text");
  line = line_;
  return true;
}
