// How the machine reaches the network, from the interfaces the kernel lists under a folder laid
// out as /sys/class/net: "WiFi" while a wireless interface is up, "CellNetwork" while only a
// mobile-broadband one is, "" while none but the loopback is up. The log service knows only Wi-Fi
// and cellular links; a wired one is reported as Wi-Fi, the fast and unmetered kind it stands for.
#pragma once

#include <string>

std::string networkAccessType(const std::string& netClassDir);
