#include "server/DataFolder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "server/Echo.h"
#include "server/StagedWrite.h"
#include "server/WholeFile.h"

namespace standin {
namespace {

namespace fs = std::filesystem;
using Row = std::vector<std::string>;

std::string escaped(const std::string& field) {
  std::string out;
  for (char c : field) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string unescaped(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char next = field[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

// The longest file name the file systems take.
constexpr size_t kLongestFileName = 255;

// The file name of an account's backup: letters, digits, "-" and "_" as they are, every other
// byte as "%" and two hex digits, so that no name can reach outside the folder. A name whose file
// name would not fit (with its temporary name) is named by its SHA-256 after a "~", which the
// first form never holds: such a file could never be written, so no backup kept before lies
// under another name.
std::string fileNameOf(const std::string& account) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : account) {
    if (std::isalnum(c) || c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
    if (out.size() + std::strlen(".dump") + std::strlen(kTemporarySuffix) > kLongestFileName) {
      return "~" + sha256Hex(account) + ".dump";
    }
  }
  return out + ".dump";
}

// Whether `name` is a temporary file of a StagedWrite for a file ending in `suffix`.
bool isTemporaryOf(const std::string& name, const std::string& suffix) {
  const std::string ending = suffix + kTemporarySuffix;
  return name.size() > ending.size() && name.ends_with(ending);
}

// Removes the temporary files of `folder` that stand for files ending in `suffix`.
void removeTemporaries(const fs::path& folder, const std::string& suffix) {
  std::error_code failed;
  for (fs::directory_iterator entry(folder, failed), end; !failed && entry != end;
       entry.increment(failed)) {
    if (entry->is_regular_file(failed) &&
        isTemporaryOf(entry->path().filename().string(), suffix)) {
      std::error_code ignored;
      fs::remove(entry->path(), ignored);
    }
  }
}

std::string tableText(const std::vector<Row>& rows) {
  std::string text;
  for (const Row& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i) text += '\t';
      text += escaped(row[i]);
    }
    text += '\n';
  }
  return text;
}

// A table file read back with where each row came from, for error texts. A file that is not
// there has no rows; one that cannot be read is an error, as a malformed line is.
class Table {
 public:
  Table(const fs::path& folder, const std::string& name) : name_(name) {
    WholeFile file = readWholeFile((folder / name).string());
    if (!file.error.empty()) error_ = name + ": " + file.error;
    if (!file.bytes) return;
    const std::string& text = *file.bytes;
    for (size_t line = 0; line < text.size();) {
      size_t end = text.find('\n', line);
      if (end == std::string::npos) end = text.size();
      Row row;
      size_t start = line;
      for (size_t at; (at = text.find('\t', start)) < end; start = at + 1)
        row.push_back(unescaped(text.substr(start, at - start)));
      row.push_back(unescaped(text.substr(start, end - start)));
      rows_.push_back(std::move(row));
      line = end + 1;
    }
  }

  // Calls `read` for each row that has `fields` fields; the first failure's text, or "".
  template <class Read>
  std::string each(size_t fields, Read read) {
    if (!error_.empty()) return error_;
    for (size_t i = 0; i < rows_.size(); ++i) {
      line_ = i + 1;
      if (rows_[i].size() != fields) {
        return where() + "expected " + std::to_string(fields) + " fields, found " +
               std::to_string(rows_[i].size());
      }
      row_ = &rows_[i];
      read(*this);
      if (!error_.empty()) return error_;
    }
    return "";
  }
  const std::string& text(size_t field) const { return (*row_)[field]; }
  // Stops the reading at this row with `error`, which names its own file.
  void fail(std::string error) {
    if (error_.empty()) error_ = std::move(error);
  }
  int64_t number(size_t field) {
    const std::string& value = (*row_)[field];
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0) {
      if (error_.empty())
        error_ =
            where() + "field " + std::to_string(field + 1) + " is no number: " + shortened(value);
      return 0;
    }
    return number;
  }

 private:
  std::string where() const { return name_ + ":" + std::to_string(line_) + ": "; }
  std::string name_;
  std::vector<Row> rows_;
  const Row* row_ = nullptr;
  size_t line_ = 0;
  std::string error_;
};

std::string str(int64_t number) {
  return std::to_string(number);
}

std::vector<Row> noteRows(const std::vector<Note>& notes) {
  std::vector<Row> rows;
  for (const Note& n : notes)
    rows.push_back({str(n.id), str(n.wordId), n.text, n.sharer, str(n.time), str(n.accepts),
                    n.good ? "1" : "0"});
  return rows;
}

std::string readNotes(const fs::path& folder, const std::string& name, std::vector<Note>& notes) {
  Table table(folder, name);
  return table.each(7, [&](Table& t) {
    notes.push_back({t.number(0), t.number(1), t.text(2), t.text(3), t.number(4),
                     static_cast<int>(t.number(5)), t.number(6) != 0});
  });
}

}  // namespace

std::string loadState(const std::string& folderName, State& state) {
  const fs::path folder = folderName;
  std::string error;
  auto read = [&](const std::string& name, size_t fields, auto row) {
    if (error.empty()) {
      Table table(folder, name);
      error = table.each(fields, row);
    }
  };
  read("accounts.tsv", 13, [&](Table& t) {
    Account& a = state.accounts[lowercase(t.text(0))];
    a.name = lowercase(t.text(0));
    a.passwordMd5 = t.text(1);
    a.popularizeId = t.number(2);
    a.referredBy = t.text(3);
    a.lastSynId = t.number(4);
    a.lastSynTime = t.number(5);
    a.lastSynVersion = t.text(6);
    a.signIns = static_cast<int>(t.number(7));
    a.logins = static_cast<int>(t.number(8));
    a.newMessages = static_cast<int>(t.number(9));
    a.lastSignInDay = t.number(10);
    a.signInStreak = static_cast<int>(t.number(11));
    a.signInBest = static_cast<int>(t.number(12));
    // A backup that cannot be read stops the start as a malformed line does: served as none,
    // the account's next restore would find nothing.
    const std::string name = "backups/" + fileNameOf(a.name);
    WholeFile dump = readWholeFile((folder / name).string());
    if (!dump.error.empty()) {
      t.fail(name + ": " + dump.error);
    } else if (dump.bytes) {
      a.dump = std::move(*dump.bytes);
    }
  });
  read("messages.tsv", 3, [&](Table& t) {
    auto found = state.accounts.find(lowercase(t.text(0)));
    if (found != state.accounts.end()) found->second.messages.push_back({t.number(1), t.text(2)});
  });
  if (error.empty()) error = readNotes(folder, "mnemonics.tsv", state.mnemonics);
  if (error.empty()) error = readNotes(folder, "grammar-notes.tsv", state.yufa);
  read("adoptions.tsv", 2,
       [&](Table& t) { state.adopted[lowercase(t.text(0))].push_back(t.number(1)); });
  read("excellent.tsv", 6, [&](Table& t) {
    state.excellent.push_back(
        {t.number(0), t.number(1), t.number(2), t.number(3), t.text(4), t.text(5)});
  });
  read("lessons.tsv", 6, [&](Table& t) {
    state.lessons[static_cast<int>(t.number(0))] = {t.text(2), t.text(3), t.text(4), t.text(5),
                                                    t.number(1)};
  });
  read("feedback.tsv", 6, [&](Table& t) {
    state.feedback.push_back(
        {t.text(0), static_cast<int>(t.number(1)), t.text(2), t.text(3), t.text(4), t.text(5)});
  });
  read("lucky-words.tsv", 2,
       [&](Table& t) { state.luckyReports.emplace_back(t.number(0), t.text(1)); });
  read("counters.tsv", 2, [&](Table& t) {
    if (t.text(0) == "next_id") state.nextId = std::max(state.nextId, t.number(1));
  });
  return error;
}

void removeLeftovers(const std::string& folder) {
  removeTemporaries(folder, ".tsv");
  removeTemporaries(fs::path(folder) / "backups", ".dump");
}

std::string saveState(const std::string& folderName, State& state) {
  const fs::path folder = folderName;
  std::error_code failed;
  fs::create_directories(folder / "backups", failed);
  if (failed) return "cannot make " + (folder / "backups").string() + ": " + failed.message();

  // Backups first: once renamed, the accounts file never names a backup that is not there.
  StagedWrite write;
  for (const std::string& name : state.changedBackups) {
    auto found = state.accounts.find(name);
    if (found == state.accounts.end()) continue;
    if (std::string error =
            write.stage((folder / "backups" / fileNameOf(name)).string(), found->second.dump);
        !error.empty())
      return error;
  }

  std::vector<Row> accounts, messages, adoptions, excellent, lessons, feedback, lucky;
  for (const auto& [name, a] : state.accounts) {
    accounts.push_back({a.name, a.passwordMd5, str(a.popularizeId), a.referredBy, str(a.lastSynId),
                        str(a.lastSynTime), a.lastSynVersion, str(a.signIns), str(a.logins),
                        str(a.newMessages), str(a.lastSignInDay), str(a.signInStreak),
                        str(a.signInBest)});
    for (const Message& m : a.messages) messages.push_back({a.name, str(m.time), m.text});
  }
  for (const auto& [name, ids] : state.adopted)
    for (int64_t id : ids) adoptions.push_back({name, str(id)});
  for (const Excellent& e : state.excellent)
    excellent.push_back(
        {str(e.emId), str(e.wordId), str(e.mnemonicId), str(e.sortId), e.text, e.sharer});
  for (const auto& [day, l] : state.lessons)
    lessons.push_back({str(day), str(l.time), l.sentence, l.translate, l.luckyWords, l.lottery});
  for (const Feedback& f : state.feedback)
    feedback.push_back({f.account, str(f.type), f.content, f.systemInfo, f.vLexicon, f.vClient});
  for (const auto& [time, account] : state.luckyReports) lucky.push_back({str(time), account});
  const std::vector<Row> mnemonics = noteRows(state.mnemonics), grammarNotes = noteRows(state.yufa),
                         counters = {{"next_id", str(state.nextId)}};

  const std::pair<const char*, const std::vector<Row>*> tables[] = {
      {"accounts.tsv", &accounts},   {"messages.tsv", &messages},
      {"mnemonics.tsv", &mnemonics}, {"grammar-notes.tsv", &grammarNotes},
      {"adoptions.tsv", &adoptions}, {"excellent.tsv", &excellent},
      {"lessons.tsv", &lessons},     {"feedback.tsv", &feedback},
      {"lucky-words.tsv", &lucky},   {"counters.tsv", &counters},
  };
  for (const auto& [name, rows] : tables)
    if (std::string error = write.stage((folder / name).string(), tableText(*rows)); !error.empty())
      return error;
  if (std::string error = write.commit(); !error.empty()) return error;
  state.changedBackups.clear();
  return "";
}

}  // namespace standin
