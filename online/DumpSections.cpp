#include "online/DumpSections.h"

namespace DumpSections {

const std::vector<DumpSection>& studyTables() {
  // Sorted by name: the dump walks the tables in this order. Never destroyed: a backup thread may
  // still be dumping or applying as the process exits.
  static const auto& tables = *new std::vector<DumpSection>{
      {"Familiarity_Log", "fl_uTimeID,fl_uWordNum1,fl_uWordNum2,fl_uWordNum3,fl_uCountState",
       "Nnnnn", "fl_uNeedSync"},
      {"ForgetWords_Log", "fl_uTimeID,fl_uWordNum,fl_uCountState", "Nnn", "fl_uNeedSync"},
      {"IncreasingWord_Log", "il_uTimeID,il_uWordNum", "Nn", "il_uNeedSync"},
      {"ReviewWords_Log", "rl_uTimeID,rl_uWordNum", "Nn", "rl_uNeedSync"},
      {"Study_List", "sl_uWordID,sl_uAddTime", "nN", "sl_uNeedSync"},
      {"Study_Log",
       "sl_uWordID,sl_uLastTestTime,sl_uNextStudyTime,sl_uFeedbackID1,sl_uFeedbackID2,"
       "sl_uFeedbackID3,sl_uKnowNum,sl_uVagueNum,sl_uForgetNum",
       "nNNnnnnnn", "sl_uNeedSync"},
      {"Study_Note", "sn_uWordID,sn_tNote", "ns", "sn_uNeedSync"},
      {"Words_Mnemonic", "wm_uWordID,wm_tMnemonic", "ns", "wm_uNeedSync"},
      {"Words_MyYuFa", "wm_uWordID,wm_tYuFa", "ns", "wm_uNeedSync"},
      {"Words_YuFa", "wy_uWordID,wy_tYuFa", "ns", "wy_uNeedSync"},
  };
  return tables;
}

const DumpSection& settings() {
  static const DumpSection section{"Var_Config", "vc_tVarName,vc_tValue", "ss", "vc_uNeedSync"};
  return section;
}

const DumpSection* importable(const std::string& name) {
  for (const DumpSection& table : studyTables()) {
    if (name == table.name) return &table;
  }
  return name == settings().name ? &settings() : nullptr;
}

}  // namespace DumpSections
