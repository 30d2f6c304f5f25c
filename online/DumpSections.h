// The sections of a study data dump: each study table with its columns in dump order, their type
// letters and its sync-flag column, plus the settings table and the list of words taken out of
// study.
#pragma once

#include <string>
#include <vector>

struct DumpSection {
  const char* name;     // the section's header name, also its table
  const char* columns;  // comma-separated, in dump order
  const char* codes;    // one type letter per column
  const char* flag;     // the sync-flag column
};

namespace DumpSections {

// The ten study tables, walked in the order of their names.
const std::vector<DumpSection>& studyTables();
// The settings table (vc_tVarName, vc_tValue).
const DumpSection& settings();
// A study table or the settings table by its exact section name; nullptr for any other name.
const DumpSection* importable(const std::string& name);

inline constexpr const char* kDeletedWords = "delete_words";

}  // namespace DumpSections
