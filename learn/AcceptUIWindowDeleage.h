// The offer window's protocol lives in the account layer, below the window and this screen both.
#pragma once

#include "online/AcceptUIWindowDeleage.h"
