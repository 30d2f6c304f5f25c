#include "store/CmpDiffVersion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "store/SqlMgrController.h"

namespace {

// The learner's tables, copied row by row in column order; the old and the new file agree on it.
const char* const kCopiedTables[] = {
    "Study_List",    "Study_Log",          "Study_Note",       "Words_Mnemonic",  "Words_MyYuFa",
    "Words_YuFa",    "IncreasingWord_Log", "Familiarity_Log",  "ReviewWords_Log", "ForgetWords_Log",
    "delete_words",  "Words_Meaning_Ch",   "Words_Meaning_En", "Words_Editor",    "Words_Transform",
    "Words_Antonym", "Words_Synonym",      "Words_Paronym",    "Words_Similar",   "Words_Phrases"};

std::string quoteLiteral(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string folderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

float CmpDiffVersion::versionValue(const std::string& text) {
  const char* s = text.c_str();
  while (*s == ' ' || *s == '\t' || *s == '\n') ++s;
  // Only a plain decimal counts: "inf", "nan" and hexadecimal forms read as 0.
  const char* p = (*s == '+' || *s == '-') ? s + 1 : s;
  if (!(*p >= '0' && *p <= '9') && !(*p == '.' && p[1] >= '0' && p[1] <= '9')) return 0.0f;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return 0.0f;
  return std::strtof(s, nullptr);
}

std::string CmpDiffVersion::getPersonalValue(SqlMgrController& mgr, const std::string& key) {
  plat::Value rows =
      mgr.selectOneChannel("select vc_tValue from newdb.Var_Config where vc_tVarName = ?", "s", "s",
                           plat::Value::array({key}));
  return rows.at(0).asString();
}

std::string CmpDiffVersion::storedVersion(SqlMgrController& mgr) {
  plat::Value rows = plat::Value::array();
  try {
    mgr.selectOneChannel("select vc_tValue from Var_Config where vc_tVarName = 'v_client'", "s",
                         rows);
  } catch (const plat::NamedException&) {
  }
  return rows.at(0).asString();
}

bool CmpDiffVersion::compareVer3(const std::string& path, const std::string& /*oldVersion*/) {
  const std::string temp = plat::files::join(folderOf(path), "temp.db");
  // A temp.db left by an interrupted upgrade may be half filled: start from a fresh copy.
  plat::files::remove(temp);
  if (!SqlMgrController::sql_copy(plat::Bundle::main().pathForResource("learn", "db"), temp))
    return false;

  sqlite3* db = SqlMgrController::openExisting(path);
  if (!db) {
    plat::files::remove(temp);
    return false;
  }
  bool copied = false;
  {
    SqlMgrController mgr;
    mgr.setDatabase(db);
    mgr.RecordExec("attach database " + quoteLiteral(temp) + " as newdb");
    // The learner's rows go into the new file itself, not into a log beside it that the rename
    // below would leave behind.
    mgr.RecordExec("pragma newdb.journal_mode = delete");
    try {
      mgr.beginTransaction();
      for (const char* table : kCopiedTables) {
        mgr.insertOneChannel(std::string("insert into newdb.") + table + " select * from " + table,
                             "", plat::Value::array());
      }
      std::string settings =
          "replace into newdb.var_config (vc_tVarName,vc_tValue,vc_uNeedSync) select "
          "vc_tVarName,vc_tValue,vc_uNeedSync from var_config where vc_tVarName<>'v_client' and "
          "vc_tVarName<>'sNewLexiconVersion' and vc_tVarName<>'run_machine' and "
          "vc_tVarName<>'last_em_id' and vc_tVarName<>'LastReviewDay'";
      plat::Value oldLexicon = plat::Value::array();
      mgr.selectOneChannel("select vc_tValue from Var_Config where vc_tVarName = 'v_lexicon'", "s",
                           oldLexicon);
      std::string newLexicon = getPersonalValue(mgr, "v_lexicon");
      if (!(versionValue(oldLexicon.at(0).asString()) > versionValue(newLexicon)))
        settings += " and vc_tVarName<>'v_lexicon'";
      mgr.insertOneChannel(settings, "", plat::Value::array());
      mgr.commitTransaction();
      copied = true;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "store: upgrade of %s failed, keeping it: %s\n", path.c_str(), e.what());
      mgr.rollbackTransaction();
    }
    mgr.RecordExec("detach database newdb");
  }
  SqlMgrController::close(db);
  if (copied) SqlMgrController::removeCompanions(path);
  if (copied && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  plat::files::remove(temp);
  return false;
}
