#include "server/ExchangeLog.h"

#include <cstdio>

#include "platform/base/PrintableText.h"
#include "server/Echo.h"

namespace standin {

std::string exchangeLogText(const Request& request, const Form& form, const Reply& reply,
                            std::time_t when) {
  // The reentrant form: the plain one fills one buffer for the whole process.
  std::tm local{};
  char stamp[32] = "";
  if (localtime_r(&when, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  // What a client sent is cut short and its control characters escaped: one line an exchange, of
  // a bounded length, and no escape sequence reaches the terminal that shows the log.
  std::string text =
      std::string(stamp) + " " + echoed(request.method) + " " + echoed(request.path());
  if (const std::string& account = form["account"]; !account.empty())
    text += " account=" + echoed(account);
  if (const std::string& page = form["page"]; !page.empty()) text += " page=" + echoed(page);
  char outcome[64];
  std::snprintf(outcome, sizeof outcome, " -> %d (%zu bytes)\n", reply.status, reply.body.size());
  text += outcome;
  // The reply's own lines are the server's, each cut where it was written.
  for (const std::string& line : reply.log)
    text += std::string(stamp) + " " + plat::printableText(line) + "\n";
  return text;
}

}  // namespace standin
