// The system clipboard's text. A host installs the desktop's clipboard; until one does (and in
// the headless host) a recorder keeps the last text in memory, where tests read it back.
#pragma once

#include <memory>
#include <string>

namespace plat {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void setText(const std::string& text) = 0;
  virtual std::string text() const = 0;

  // The installed clipboard, or the in-memory recorder.
  static Clipboard& general();
  // Null puts a fresh recorder back.
  static void install(std::shared_ptr<Clipboard> clipboard);
};

}  // namespace plat
