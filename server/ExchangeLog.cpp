#include "server/ExchangeLog.h"

#include <cstdio>

#include "platform/base/PrintableText.h"
#include "server/Form.h"

namespace standin {

std::string exchangeLogText(const Request& request, const Reply& reply, std::time_t when) {
  // The reentrant form: the plain one fills one buffer for the whole process.
  std::tm local{};
  char stamp[32] = "";
  if (localtime_r(&when, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  const Form form = Form::of(request);
  const std::string account = form["account"];
  const std::string page = form["page"];
  std::string text = std::string(stamp) + " " + request.method + " " + request.path();
  if (!account.empty()) text += " account=" + account;
  if (!page.empty()) text += " page=" + page;
  char outcome[64];
  std::snprintf(outcome, sizeof outcome, " -> %d (%zu bytes)\n", reply.status, reply.body.size());
  // What a client sent is printed with its control characters escaped: one line an exchange,
  // and no escape sequence reaches the terminal that shows the log.
  text = plat::printableText(text) + outcome;
  for (const std::string& line : reply.log)
    text += std::string(stamp) + " " + plat::printableText(line) + "\n";
  return text;
}

}  // namespace standin
