// Merging the server settings of an accepted upload into the stored ones and obeying them: the
// back-off level, the experiment groups and the report interval.
#pragma once

#include <string>

#include "analytics/records/analytics_types.h"

// `imprint` passed its checksum check. Runs on the core's thread.
void updateImprint(const AT::Imprint& imprint);
// The experiment description of "client_test": "how|weights or
// group|sample|threshold|key|policies".
void configureExperimentWithString(const std::string& description);
// A number in [0, 1) from five hexadecimal digits of the device signature at `index`; 0 without
// one.
float calcProbWithSigIndex(int index);
