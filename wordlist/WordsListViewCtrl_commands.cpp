// The search field's cancel button, and the developer commands it runs in test mode.
#include "wordlist/WordsListViewCtrl.h"

#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/base/Utf.h"
#include "platform/view/AlertView.h"
#include "store/CallDB.h"
#include "util/DebugNSObject.h"

namespace {

// Developer servers on this machine, and the shipped server base unless the bundle names one.
const char* const kDeveloperServerI = "http://127.0.0.1:8081";
const char* const kDeveloperServerN = "http://127.0.0.1:8082";

std::string productionServer() {
  const std::string configured = plat::Bundle::main().infoValue("ServerBaseURL");
  return configured.empty() ? "http://127.0.0.1:8080" : configured;
}

void useServer(const std::string& url) {
  CallDB::callDB()->UpdatePersonalValue("url", url);
  plat::AlertView::create("提示", "输入的网址是:" + url, nullptr, "确定")->show();
}

}  // namespace

void WordsListViewCtrl::closeKeyboard() {
  if (DebugNSObject::checkIsDebug())
    runDeveloperCommand(plat::utf::asciiLowercase(textField_->text()));
  textField_->resignFirstResponder();
}

void WordsListViewCtrl::runDeveloperCommand(const std::string& text) {
  if (text == "i!") {
    useServer(kDeveloperServerI);
  } else if (text == "n!") {
    useServer(kDeveloperServerN);
  } else if (text.rfind("http://", 0) == 0) {
    useServer(text);
  } else if (text == "o!") {
    useServer(productionServer());
  } else if (text.rfind("d!", 0) == 0) {
    const std::string path = plat::files::join(plat::AppHome::applicationSupportDir(), "learn.db");
    if (plat::files::exists(path)) plat::files::remove(path);
    plat::AlertView::create("提示", "数据库文件删除，请重新启动程序", nullptr, "确定")->show();
  }
}
