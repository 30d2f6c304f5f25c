#include "server/Archive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace standin {
namespace {

// minizip works on files: each archive passes through a folder of its own under the system's
// temporary folder.
std::string makeScratchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vocab-standin-XXXXXX";
  return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

struct ScratchFile {
  std::string folder = makeScratchFolder();
  std::string path = folder + "/archive.zip";
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

// The most text deflate makes of one byte.
constexpr uint64_t kDeflateRatio = 1032;

std::string_view before(std::string_view text, char separator) {
  return text.substr(0, text.find(separator));
}

// A row's key: its first field (the setting's name for Var_Config).
std::string_view keyOf(std::string_view line) {
  return before(line, '\t');
}

// Section name -> rows in order, each the last line given for its key. Rows are views into the
// dumps being merged, and each section finds a row by its key in a table of row numbers: a backup
// of a million rows is merged in one pass, with no copy of its lines, in a few blocks of memory
// that go back to the system once merged. (A hash map's node a row made a million small blocks,
// which the C library kept after the merge.)
class Sections {
 public:
  struct Section {
    std::vector<std::string_view> rows;
    // Open addressing: a row's number plus one, 0 where no row is. At most half full. A dump is
    // bounded far below 4 billion lines.
    std::vector<uint32_t> slots;

    void put(std::string_view line) {
      if ((rows.size() + 1) * 2 > slots.size()) regrow();
      const std::string_view key = keyOf(line);
      uint32_t& slot = slotOf(key);
      if (slot != 0) {
        rows[slot - 1] = line;
      } else {
        rows.push_back(line);
        slot = static_cast<uint32_t>(rows.size());
      }
    }

   private:
    // The slot holding `key`'s row, or the empty one where it would go.
    uint32_t& slotOf(std::string_view key) {
      const size_t mask = slots.size() - 1;
      for (size_t at = std::hash<std::string_view>()(key) & mask;; at = (at + 1) & mask) {
        uint32_t& slot = slots[at];
        if (slot == 0 || keyOf(rows[slot - 1]) == key) return slot;
      }
    }
    void regrow() {
      slots.assign(std::max<size_t>(16, slots.size() * 2), 0);
      for (size_t row = 0; row < rows.size(); ++row)
        slotOf(keyOf(rows[row])) = static_cast<uint32_t>(row + 1);
    }
  };
  std::vector<std::string_view> order;
  std::unordered_map<std::string_view, Section> sections;

  void put(std::string_view section, std::string_view line) {
    // Rows come section by section: the last one found is most often the one asked for.
    if (!last_ || section != lastName_) {
      auto [found, fresh] = sections.try_emplace(section);
      if (fresh) order.push_back(section);
      last_ = &found->second;
      lastName_ = section;
    }
    last_->put(line);
  }

 private:
  Section* last_ = nullptr;  // stays valid: the map's elements never move
  std::string_view lastName_;
};

// Walks the dump's sections: header (name TAB count) and that many rows.
template <typename RowFn>
void forEachRow(std::string_view dump, RowFn row) {
  size_t start = 0;
  // The next line, and whether there was one: the text after the last line break is one too.
  auto nextLine = [&](std::string_view& line) {
    if (start > dump.size()) return false;
    const size_t end = std::min(dump.find('\n', start), dump.size());
    line = dump.substr(start, end - start);
    start = end + 1;
    return true;
  };
  std::string_view line;
  while (nextLine(line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos)
      continue;
    const std::string_view section = line.substr(0, tab);
    const int count = std::atoi(std::string(line.substr(tab + 1)).c_str());
    for (int n = 0; n < count && nextLine(line);) {
      row(section, line);
      ++n;
    }
  }
}

}  // namespace

std::string zipOneEntry(const std::string& entryName, const std::string& content) {
  ScratchFile scratch;
  zipFile zip = zipOpen64(scratch.path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return "";
  zip_fileinfo info{};
  zipOpenNewFileInZip64(zip, entryName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                        9, 1);
  zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
  zipCloseFileInZip(zip);
  zipClose(zip, nullptr);
  std::ifstream in(scratch.path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::pair<std::string, std::string>> unzipEntries(const std::string& archive) {
  bool tooLarge = false;
  return unzipEntries(archive, std::numeric_limits<size_t>::max(), tooLarge);
}

std::vector<std::pair<std::string, std::string>> unzipEntries(const std::string& archive,
                                                              size_t largest, bool& tooLarge) {
  tooLarge = false;
  ScratchFile scratch;
  std::ofstream(scratch.path, std::ios::binary) << archive;
  std::vector<std::pair<std::string, std::string>> entries;
  unzFile zip = unzOpen64(scratch.path.c_str());
  if (!zip) return entries;
  size_t left = largest;
  for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
    char name[512];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(zip) != UNZ_OK) {
      break;
    }
    // The size an entry claims is only a claim: room is made for no more than deflate can give
    // from the archive, and it is read in pieces, no further than the bound.
    std::string content;
    content.reserve(static_cast<size_t>(
        std::min<uint64_t>({info.uncompressed_size, left, kDeflateRatio * archive.size()})));
    char piece[65536];
    int read;
    while ((read = unzReadCurrentFile(zip, piece, sizeof piece)) > 0) {
      if (static_cast<size_t>(read) > left - content.size()) {
        tooLarge = true;
        break;
      }
      content.append(piece, static_cast<size_t>(read));
    }
    unzCloseCurrentFile(zip);
    if (tooLarge) {
      entries.clear();
      break;
    }
    if (read < 0 || content.size() != info.uncompressed_size) break;
    left -= content.size();
    entries.emplace_back(name, std::move(content));
  }
  unzClose(zip);
  return entries;
}

std::string mergeDump(const std::string& base, const std::string& changes) {
  Sections merged;
  forEachRow(base,
             [&](std::string_view section, std::string_view line) { merged.put(section, line); });
  std::unordered_set<std::string_view> deleted;
  forEachRow(changes, [&](std::string_view section, std::string_view line) {
    if (section == "delete_words") {
      deleted.insert(line);
    } else {
      merged.put(section, line);
    }
  });
  // A word taken out of study leaves with its notes; day logs are keyed by day, not by word.
  for (const char* table :
       {"Study_List", "Study_Log", "Study_Note", "Words_Mnemonic", "Words_MyYuFa", "Words_YuFa"}) {
    if (auto found = merged.sections.find(table); found != merged.sections.end())
      std::erase_if(found->second.rows,
                    [&](std::string_view row) { return deleted.count(keyOf(row)); });
  }
  // Written into a text of its final size: grown step by step, a backup's text was copied over
  // and over, each copy beside the one before.
  auto header = [](std::string_view name, size_t rows) {
    return std::string(name) + "\t" + std::to_string(rows) + "\n";
  };
  size_t size = 0;
  for (std::string_view name : merged.order) {
    const auto& rows = merged.sections[name].rows;
    if (rows.empty()) continue;
    size += header(name, rows.size()).size();
    for (std::string_view row : rows) size += row.size() + 1;
  }
  std::string out;
  out.reserve(size);
  for (std::string_view name : merged.order) {
    const auto& rows = merged.sections[name].rows;
    if (rows.empty()) continue;
    out.append(header(name, rows.size()));
    for (std::string_view row : rows) out.append(row).append("\n");
  }
  return out;
}

}  // namespace standin
