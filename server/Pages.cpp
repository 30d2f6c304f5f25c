// The stand-in's pages that are no server scripts: what a learner's browser and the app's web
// views show, the store's version lookup and the analytics upload.
#include <algorithm>

#include "server/AnalyticsIntake.h"
#include "server/State.h"

namespace standin {
namespace {

constexpr size_t kRankedAccounts = 50;

std::string escapedHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

Reply html(const std::string& title, const std::string& body) {
  return Reply::file("<!DOCTYPE html><html><head><meta charset='utf-8'><title>" + title +
                         "</title><style>td{padding:4px 20px 4px 0}</style></head><body "
                         "style='font-family:sans-serif;margin:12px'>" +
                         "<h2 style='color:#399c66'>" + title + "</h2>" + body + "</body></html>",
                     "text/html; charset=utf-8");
}

Reply sitePage(const State& state, const Request&) {
  std::string body =
      "<p>这是本机的练习服务器，代替背单词的官方服务器：注册、登录、备份与恢复、消息、签到、"
      "每日课堂、助记分享和优秀助记都可以在这里试用。</p>"
      "<p>本机共有 " +
      std::to_string(state.accounts.size()) + " 个账号。</p>";
  if (state.options.rankingPage)
    body += "<p><a href='" + std::string(kRankingPath) + "'>学员排行榜</a></p>";
  return html("背单词练习服务器", body);
}

// The learners by sign-ins, or by their longest run of days with "?by=run".
Reply rankingPage(const State& state, const Request& request) {
  const bool byRun = Form::of(request)["by"] == "run";
  std::vector<const Account*> ranked;
  for (const auto& [name, account] : state.accounts) ranked.push_back(&account);
  std::stable_sort(ranked.begin(), ranked.end(), [&](const Account* a, const Account* b) {
    return byRun ? a->signInBest > b->signInBest : a->signIns > b->signIns;
  });
  if (ranked.size() > kRankedAccounts) ranked.resize(kRankedAccounts);
  std::string rows;
  int place = 0;
  for (const Account* account : ranked) {
    rows += "<tr><td>" + std::to_string(++place) + "</td><td>" + escapedHtml(account->name) +
            "</td><td>" + std::to_string(byRun ? account->signInBest : account->signIns) +
            "</td></tr>";
  }
  if (rows.empty()) rows = "<tr><td colspan='3'>还没有学员</td></tr>";
  const std::string other =
      byRun ? "<a href='" + std::string(kRankingPath) + "'>按签到天数排名</a>"
            : "<a href='" + std::string(kRankingPath) + "?by=run'>按最长连续签到排名</a>";
  return html(byRun ? "连续签到排行榜" : "签到排行榜",
              "<p>" + other +
                  "</p><table style='border-collapse:collapse'>"
                  "<tr style='color:#686868'><td>名次</td><td>学员</td><td>" +
                  std::string(byRun ? "最长连续签到" : "签到天数") + "</td></tr>" + rows +
                  "</table>");
}

// The store's answer about the app: the version set on the command line, else no result.
Reply storeLookup(const State& state, const Request&) {
  const Options& o = state.options;
  if (o.storeVersion.empty()) return Reply::json(R"({"resultCount":0,"results":[]})");
  return Reply::json(
      Json::object({{"resultCount", 1},
                    {"results", Json::array({Json::object({{"version", o.storeVersion},
                                                           {"releaseNotes", o.releaseNotes}})})}})
          .text());
}

Reply analyticsUpload(const State&, const Request& request) {
  return acceptEnvelope(request);
}

}  // namespace

const std::map<std::string, Page>& pageTable() {
  static const std::map<std::string, Page> table = {
      {"/", sitePage},
      {kRankingPath, rankingPage},
      {"/lookup", storeLookup},
      {"/app_logs", analyticsUpload},
  };
  return table;
}

}  // namespace standin
