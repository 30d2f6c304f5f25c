// The application's home folder and its standard subfolders. The home is $VOCAB_HOME, by default
// ~/.local/share/vocab (the user's folder from the password database when HOME is unset; a user
// with neither makes home() raise); tests point it at a temporary folder with setHome().
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace plat {

class AppHome {
 public:
  static std::string home();
  static void setHome(const std::string& path);  // "" goes back to the environment's choice

  static std::string applicationSupportDir();  // Library/Application Support
  static std::string documentsDir();           // Documents
  static std::string cachesDir();              // Library/Caches
  static std::string preferencesDir();         // Library/Preferences
  static std::string tmpDir();                 // tmp

  // Creates the home and every standard subfolder that is missing; false if one cannot be made.
  static bool ensureFolders();

  // Bytes free for this user on the home's volume; nullopt when it cannot be told.
  static std::optional<uint64_t> freeBytes();

  // A new unique file name in tmpDir() (the file is not created).
  static std::string temporaryFileName(const std::string& prefix = "tmp");
};

}  // namespace plat
