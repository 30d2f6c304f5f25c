// A small word library in the text form the learn.db builder reads (resources/words), so that
// tests of the store and the builder do not depend on the shipped word list.
//
// Words (id: headword): 1 apple, 2 book, 3 cafe (shown as "café"), 4 run, 5 happy, 6 good.
// Books: 101 and 102 (class 1), 201 (class 2), 800 and 801 (the frequency books, class 3).
#pragma once

#include <string>

namespace testsupport {

// Writes the fixture files into `folder` (created when missing).
void writeFixtureWords(const std::string& folder);

// Writes one text file (parent folders created); for tests that change a fixture file.
void writeTextFile(const std::string& path, const std::string& content);

}  // namespace testsupport
