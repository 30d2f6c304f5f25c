// The offer window's protocol lives with the window.
#pragma once

#include "online/AcceptUIWindowDeleage.h"
