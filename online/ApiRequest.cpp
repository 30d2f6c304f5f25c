#include "online/ApiRequest.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "platform/base/Bundle.h"
#include "store/CallDB.h"
#include "util/DebugNSObject.h"
#include "util/DeviceIdentifier.h"
#include "util/MyExtensions.h"

namespace {

// The server's JSON answers are small; a reply beyond this is refused rather than read.
constexpr uint64_t kMostReplyBytes = 4 << 20;

struct Script {
  bool post;
  // Parameter names in order; "T" stands for c_type, v_client and "X" for is_test.
  const char* parameters;
  double timeOutSeconds;  // 0: the client's default
};

// Never destroyed: the backup's thread makes its request from it, and may still be doing so as
// the process exits.
const std::map<std::string, Script>& scripts() {
  static const auto& table = *new std::map<std::string, Script>{
      {"account_login.php",
       {false, "identifie,account,password,v_lexicon,T,client_check_code,X", 0}},
      {"account_register.php",
       {false, "identifie,account,password,study_count,popularize_id,T,client_check_code,X", 0}},
      {"account_info.php",
       {false, "identifie,account,password,study_count,T,client_check_code,X", 0}},
      {"sign_in.php", {false, "identifie,account,password,study_count,T,client_check_code,X", 0}},
      {"clear_data.php",
       {false, "identifie,account,password,studied_count,T,client_check_code,X", 0}},
      {"synchronize_up.php",
       {true, "account,password,nLastSynId,v_lexicon,c_type,v_client,identifie,client_check_code,X",
        180}},
      {"synchronize_all_up.php",
       {true, "account,password,nLastSynId,v_lexicon,c_type,v_client,identifie,client_check_code,X",
        150}},
      {"synchronize_all_down.php", {true, "account,password,identifie,c_type,v_client,X", 0}},
      {"upload_mnemonic.php",
       {true, "account,password,word_id,mnemonic,c_type,v_client,identifie,client_check_code,X",
        0}},
      {"upload_yufa.php",
       {true, "account,password,word_id,yufa,c_type,v_client,identifie,client_check_code,X", 0}},
      {"find_mnemonic.php", {false, "account,T,word_id,order_type,page,X", 0}},
      {"find_yufa.php", {false, "account,T,word_id,order_type,page,X", 0}},
      {"accept_mnemonic.php",
       {false, "identifie,account,password,mnemonic_id,T,client_check_code,X", 0}},
      {"accept_yufa.php", {false, "identifie,account,password,yufa_id,T,client_check_code,X", 0}},
      {"get_best_mnemonic.php", {false, "word_id,account,T,X", 0}},
      {"update_excellent_mnemonic.php", {false, "last_em_id,account,T,X", 0}},
      {"get_user_message.php", {false, "account,password,T,page,X", 0}},
      {"advise.php",
       {true, "account,advises_type,password,v_lexicon,content,v_client,c_type,system_info,X", 0}},
      {"daily_lesson.php", {false, "day_index,account,T", 0}},
      {"study_lucky_words.php", {false, "time,account,T", 0}},
      {"get_basic_voices.php", {false, "account,identifie,T,client_check_code,X", 0}},
      {"get_ext_voices.php", {false, "account,identifie,T,client_check_code,X", 0}},
  };
  return table;
}

const Script& scriptOf(const std::string& name) {
  auto found = scripts().find(name);
  if (found == scripts().end()) throw std::invalid_argument("Unknown server script " + name);
  return found->second;
}

std::vector<std::string> split(const std::string& list) {
  std::vector<std::string> names;
  std::stringstream in(list);
  for (std::string name; std::getline(in, name, ',');) names.push_back(name);
  return names;
}

int personalInteger(const std::string& key) {
  return std::atoi(CallDB::callDB()->getPersonalValue(key).c_str());
}

// The recipe's own value of a common parameter; nothing for a script's own parameter.
std::optional<plat::Value> commonValue(const std::string& name) {
  if (name == "identifie") return plat::Value(ApiRequest::identifie());
  if (name == "account") return plat::Value(ApiRequest::account());
  if (name == "password") return plat::Value(ApiRequest::password());
  if (name == "c_type") return plat::Value(ApiRequest::kClientType);
  if (name == "v_client") return plat::Value(ApiRequest::clientVersion());
  if (name == "client_check_code") return plat::Value(ApiRequest::clientCheckCode());
  if (name == "v_lexicon") return plat::Value(CallDB::callDB()->getPersonalValue("v_lexicon"));
  if (name == "study_count" || name == "studied_count") {
    return plat::Value(CallDB::callDB()->LearnWordCount());
  }
  if (name == "nLastSynId") return plat::Value(personalInteger("nLastSynId"));
  return std::nullopt;
}

std::string text(const plat::Value& value) {
  switch (value.type()) {
    case plat::Value::Type::Int:
      return std::to_string(value.asInt());
    case plat::Value::Type::UInt:
      return std::to_string(value.asUInt());
    case plat::Value::Type::Bool:
      return value.asBool() ? "1" : "0";
    default:
      return value.asString();
  }
}

}  // namespace

std::string ApiRequest::scriptAddress(const std::string& script) {
  return CallDB::callDB()->getPersonalValue("url") + "/api/" + script;
}

std::string ApiRequest::identifie() {
  return DeviceIdentifier::uniqueGlobalDeviceIdentifier();
}

std::string ApiRequest::account() {
  return CallDB::callDB()->getPersonalValue("account");
}

std::string ApiRequest::password() {
  return CallDB::callDB()->getPersonalValue("password");
}

std::string ApiRequest::clientVersion() {
  return plat::Bundle::main().infoValue("CFBundleVersion");
}

std::string ApiRequest::clientCheckCode() {
  return MyExtensions::md5(identifie() + kSharedClientKey);
}

bool ApiRequest::isPost(const std::string& script) {
  return scriptOf(script).post;
}

ApiRequest::Params ApiRequest::parameters(const std::string& script, const Values& values) {
  Params params;
  auto add = [&](const std::string& name) {
    auto given = values.find(name);
    if (given != values.end()) {
      params.emplace_back(name, given->second);
    } else if (auto common = commonValue(name)) {
      params.emplace_back(name, *common);
    }
  };
  for (const std::string& name : split(scriptOf(script).parameters)) {
    if (name == "T") {
      add("c_type");
      add("v_client");
    } else if (name == "X") {
      if (DebugNSObject::checkIsDebug()) params.emplace_back("is_test", kSharedClientKey);
    } else {
      add(name);
    }
  }
  return params;
}

std::string ApiRequest::queryAddress(const std::string& script, const Params& params) {
  std::string address = scriptAddress(script) + "?";
  for (size_t i = 0; i < params.size(); ++i) {
    if (i > 0) address += "&";
    address += params[i].first + "=" + MyExtensions::URLEncodedString(text(params[i].second));
  }
  return address;
}

std::shared_ptr<HttpRequest> ApiRequest::get(const std::string& script, const Values& values) {
  auto request = HttpRequest::requestWithURL(queryAddress(script, parameters(script, values)));
  request->setMaxResponseBytes(kMostReplyBytes);
  if (double seconds = scriptOf(script).timeOutSeconds) request->setTimeOutSeconds(seconds);
  return request;
}

std::shared_ptr<HttpFormDataRequest> ApiRequest::post(const std::string& script,
                                                      const Values& values,
                                                      const std::string& synFilePath) {
  auto request = HttpFormDataRequest::requestWithURL(scriptAddress(script));
  request->setRequestMethod("POST");
  request->setMaxResponseBytes(kMostReplyBytes);
  for (const auto& [name, value] : parameters(script, values)) request->setPostValue(value, name);
  if (!synFilePath.empty()) request->setFile(synFilePath, "syn_file");
  if (double seconds = scriptOf(script).timeOutSeconds) request->setTimeOutSeconds(seconds);
  return request;
}
