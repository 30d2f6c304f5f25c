#include "server/Archive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

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

std::vector<std::string> splitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Section name -> rows in order, each kept under its key.
struct Sections {
  std::vector<std::string> order;
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> rows;

  void put(const std::string& section, const std::string& key, const std::string& line) {
    auto& list = rows[section];
    if (list.empty() && std::find(order.begin(), order.end(), section) == order.end()) {
      order.push_back(section);
    }
    for (auto& row : list) {
      if (row.first == key) {
        row.second = line;
        return;
      }
    }
    list.emplace_back(key, line);
  }
};

// Walks the dump's sections: header (name TAB count) and that many rows.
template <typename RowFn>
void forEachRow(const std::string& dump, RowFn row) {
  std::vector<std::string> lines = splitOn(dump, '\n');
  for (size_t i = 0; i < lines.size(); ++i) {
    std::vector<std::string> header = splitOn(lines[i], '\t');
    if (header.size() != 2) continue;
    int count = std::atoi(header[1].c_str());
    for (int n = 0; n < count && i + 1 < lines.size(); ++n) row(header[0], lines[++i]);
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
  ScratchFile scratch;
  std::ofstream(scratch.path, std::ios::binary) << archive;
  std::vector<std::pair<std::string, std::string>> entries;
  unzFile zip = unzOpen64(scratch.path.c_str());
  if (!zip) return entries;
  for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
    char name[512];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(zip) != UNZ_OK) {
      break;
    }
    std::string content(info.uncompressed_size, '\0');
    int read = unzReadCurrentFile(zip, content.data(), static_cast<unsigned>(content.size()));
    unzCloseCurrentFile(zip);
    if (read < 0 || static_cast<uint64_t>(read) != info.uncompressed_size) break;
    entries.emplace_back(name, content);
  }
  unzClose(zip);
  return entries;
}

std::string mergeDump(const std::string& base, const std::string& changes) {
  Sections merged;
  auto keyOf = [](const std::string& line) { return splitOn(line, '\t').front(); };
  forEachRow(base, [&](const std::string& section, const std::string& line) {
    merged.put(section, keyOf(line), line);
  });
  std::vector<std::string> deleted;
  forEachRow(changes, [&](const std::string& section, const std::string& line) {
    if (section == "delete_words") {
      deleted.push_back(line);
    } else {
      merged.put(section, keyOf(line), line);
    }
  });
  // A word taken out of study leaves with its notes; day logs are keyed by day, not by word.
  for (const char* table :
       {"Study_List", "Study_Log", "Study_Note", "Words_Mnemonic", "Words_MyYuFa", "Words_YuFa"}) {
    auto& rows = merged.rows[table];
    std::erase_if(rows, [&](const auto& row) {
      return std::find(deleted.begin(), deleted.end(), row.first) != deleted.end();
    });
  }
  std::string out;
  for (const std::string& section : merged.order) {
    const auto& rows = merged.rows[section];
    if (rows.empty()) continue;
    out += section + "\t" + std::to_string(rows.size()) + "\n";
    for (const auto& row : rows) out += row.second + "\n";
  }
  return out;
}

}  // namespace standin
