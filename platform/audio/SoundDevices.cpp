#include "platform/audio/SoundDevices.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plat::sounddevices {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// A line of the kernel's card list begins with the card's number (" 0 [PCH ]: ...").
bool listsACard(const std::string& cards) {
  std::istringstream lines(cards);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line[first] >= '0' && line[first] <= '9') return true;
  }
  return false;
}

}  // namespace

Machine thisMachine() {
  Machine machine;
  machine.audioDriver = environment("SDL_AUDIODRIVER");
  machine.pulseServer = environment("PULSE_SERVER");
  const std::string runtime = environment("XDG_RUNTIME_DIR");
  machine.serverSocket =
      !runtime.empty() && (exists(runtime + "/pulse/native") || exists(runtime + "/pipewire-0"));
  std::ifstream cards("/proc/asound/cards");
  std::ostringstream text;
  text << cards.rdbuf();
  machine.soundCards = text.str();
  return machine;
}

bool mayHaveOutput(const Machine& machine) {
  return !machine.audioDriver.empty() || !machine.pulseServer.empty() || machine.serverSocket ||
         listsACard(machine.soundCards);
}

}  // namespace plat::sounddevices
