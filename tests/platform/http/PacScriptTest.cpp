#include "platform/http/PacScript.h"

#include <gtest/gtest.h>

using namespace plat::http;

namespace {

std::string run(const std::string& script, const std::string& url, std::string* error = nullptr) {
  return evaluatePacScript(script, *Url::parse(url), 5, error).value_or("<failed>");
}

}  // namespace

TEST(PacScriptTest, HelpersAnswerAsScriptsExpectAnswersBecomeChoicesAndTroubleIsReported) {
  const std::string script = R"JS(
    function FindProxyForURL(url, host) {
      return [isPlainHostName(host), dnsDomainIs(host, ".example.org"),
              localHostOrDomainIs("www", "www.example.org"), dnsDomainLevels(host),
              shExpMatch(url, "*://*.example.org/a?c*"), shExpMatch(host, "*.net"),
              isInNet("10.1.2.3", "10.1.0.0", "255.255.0.0"), isInNet("10.2.0.1", "10.1.0.0",
              "255.255.0.0"), isResolvable("localhost"), dnsResolve("localhost"),
              weekdayRange("SUN", "SAT"), dateRange(1, 31), timeRange(0, 23),
              timeRange(0, 0, 0, 23, 59, 59, "GMT"), typeof myIpAddress()].join(" ");
    })JS";
  EXPECT_EQ(run(script, "http://www.example.org/abc"),
            "false true true 2 true false true false true 127.0.0.1 true true true true string");

  EXPECT_EQ(run("function FindProxyForURL(u, h) { return h == 'a.org' ? 'SOCKS 127.0.0.1:1080' "
                ": 'PROXY 127.0.0.1:3128; DIRECT'; }",
                "https://a.org/private/path"),
            "SOCKS 127.0.0.1:1080");
  // The script never sees a user and password, nor the path of a secure address.
  const std::string echo = "function FindProxyForURL(u, h) { return u + ' ' + h; }";
  EXPECT_EQ(run(echo, "http://lin:pw@a.org:81/p?q=1#f"), "http://a.org:81/p?q=1 a.org");
  EXPECT_EQ(run(echo, "https://lin:pw@a.org/private?k"), "https://a.org/ a.org");
  auto choices = parsePacAnswer(" PROXY 127.0.0.1:3128 ; SOCKS5 h:1081;bogus; DIRECT");
  ASSERT_EQ(choices.size(), 3u);
  EXPECT_EQ(choices[0]->description(), "http://127.0.0.1:3128");
  EXPECT_EQ(choices[1]->description(), "socks://h:1081");
  EXPECT_FALSE(choices[2]);

  std::string error;
  EXPECT_EQ(
      run("function FindProxyForURL(u, h) { throw new Error('no way'); }", "http://a/", &error),
      "<failed>");
  EXPECT_NE(error.find("no way"), std::string::npos);
  EXPECT_EQ(run("function FindProxyForURL(u, h) {", "http://a/", &error), "<failed>");
  EXPECT_EQ(run("var x = 1;", "http://a/", &error), "<failed>");
}
