// Runs another program of the desktop (notify-send, systemd-run) with its arguments handed over as
// they are, never through a shell, and waits for it. For the window host's short helper runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plat {

// Runs `argv` (argv[0] looked up on the PATH) with this process's environment and waits; its exit
// status, or -1 when it could not start or did not exit normally. With `errorOutput`, what the
// program writes on standard error lands there instead of on the terminal: the caller says in its
// own words what went wrong. With `giveUp`, asked every few milliseconds while the program runs,
// a program still running when it says so is killed with what it started (-1).
int runChildProgram(const std::vector<std::string>& argv, std::string* errorOutput = nullptr,
                    const std::function<bool()>& giveUp = {});

}  // namespace plat
