// Tells a database file that was cut short (a copy a power cut caught before it reached the disk)
// by its size and header alone, so that opening the store stays cheap.
#pragma once

#include <string>

// True for an empty file, and for a database file shorter than the pages its header counts.
// Anything else, damaged or not, is not judged here.
bool databaseFileIsCutShort(const std::string& path);
