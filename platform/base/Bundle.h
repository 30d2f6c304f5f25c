// The bundle: the folder of resources shipped with the application, assembled by the build next to
// the program (or named by $VOCAB_BUNDLE). Holds the info values (info.strings), the localised text
// tables (<table>.strings) and every resource file.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace plat {

class Bundle {
 public:
  explicit Bundle(std::string path);

  static Bundle& main();
  static void setMainPath(const std::string& path);  // tests; "" goes back to the default

  const std::string& path() const { return path_; }

  // "<path>/<name>.<type>", or "<path>/<subdir>/<name>.<type>"; "" when no such file exists.
  // A name may itself hold folders ("help/cell_list").
  std::string pathForResource(const std::string& name, const std::string& type,
                              const std::string& subdir = "") const;

  // Info values such as "CFBundleVersion"; "" when missing.
  std::string infoValue(const std::string& key) const;

  // The text of `key` in the table "<table>.strings"; the key itself when the table or the key is
  // missing.
  std::string localizedString(const std::string& key, const std::string& table = "InfoPlist") const;

 private:
  const std::map<std::string, std::string>& table(const std::string& name) const;

  std::string path_;
  mutable std::map<std::string, std::map<std::string, std::string>> tables_;
};

// Shorthand for Bundle::main().localizedString(key, table).
std::string localized(const std::string& key, const std::string& table = "InfoPlist");

// Parses the `"key" = "value";` format (with \" \\ \n \t escapes, // and /* */ comments). A line
// that cannot be read is skipped; the rest is kept.
std::map<std::string, std::string> parseStringsTable(const std::string& text);

}  // namespace plat
