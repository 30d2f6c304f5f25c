// Whether this machine may have somewhere to send sound, asked before SDL's audio starts: on a
// machine with neither a sound server nor a sound card SDL falls back to ALSA, whose library then
// prints a screenful of errors on the terminal before it fails. The program stays silent instead
// and says once, in one line, that words play without sound.
#pragma once

#include <functional>
#include <string>

namespace plat::sounddevices {

// What the decision rests on, gathered from the machine (or given by tests).
struct Machine {
  std::string audioDriver;   // $SDL_AUDIODRIVER: the user chose the output, so SDL is asked
  std::string pulseServer;   // $PULSE_SERVER
  bool serverSocket = false;  // a PulseAudio or PipeWire socket in $XDG_RUNTIME_DIR
  std::string soundCards;    // /proc/asound/cards, "" when missing
};

Machine thisMachine();

// True when SDL may find an output; false when asking it would only fail noisily.
bool mayHaveOutput(const Machine& machine);

// The one line said when sound is off.
inline constexpr const char* kSilentNotice = "sound: no sound device found, words play silently";

}  // namespace plat::sounddevices
