#include "net/HttpFormDataRequest.h"

#include <gtest/gtest.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/TempHome.h"

using namespace nettest;

namespace {

class HttpFormDataRequestTest : public NetTest {};

// The server's view of one posted form.
ServerRequest post(const std::shared_ptr<HttpFormDataRequest>& form, LoopbackHttpServer& server) {
  Exchange(form).run();
  return server.lastRequest();
}

std::string boundaryOf(const ServerRequest& request) {
  std::string type = request.header("Content-Type");
  return type.substr(type.find("boundary=") + 9);
}

}  // namespace

TEST_F(HttpFormDataRequestTest, FieldsAloneAreUrlEncoded) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  auto form = HttpFormDataRequest::requestWithURL(server.url("/advise.php"));
  form->addPostValue(1, "a");
  form->addPostValue("x y&z", "b");
  form->addPostValue("\xe4\xbd\xa0~*", "c");
  form->setPostValue(2, "a");  // replaced, and moved last
  ServerRequest seen = post(form, server);
  EXPECT_EQ(seen.method, "POST");
  EXPECT_EQ(seen.header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(seen.body, "b=x%20y%26z&c=%E4%BD%A0%7E%2A&a=2");
  EXPECT_EQ(seen.header("Content-Length"), std::to_string(seen.body.size()));
  EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(HttpFormDataRequestTest, APartMakesTheWholeFormMultipart) {
  testsupport::TempHome home;
  const std::string path = home.path() + "/backup_data.zip";
  plat::files::writeFileAtomically(path, std::string("PK\x03\x04zip", 7));
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  auto form = HttpFormDataRequest::requestWithURL(server.url("/synchronize_up.php"));
  form->setPostValue("u1", "account");
  form->addPostValue(5, "count");
  form->setFile(path, "syn_file");
  form->addData({'r', 'a', 'w'}, "blob");
  ServerRequest seen = post(form, server);
  const std::string b = boundaryOf(seen);
  EXPECT_EQ(seen.header("Content-Type"), "multipart/form-data; charset=utf-8; boundary=" + b);
  EXPECT_EQ(
      seen.body,
      "--" + b + "\r\n" + "Content-Disposition: form-data; name=\"account\"\r\n\r\nu1\r\n--" + b +
          "\r\n" + "Content-Disposition: form-data; name=\"count\"\r\n\r\n5\r\n--" + b + "\r\n" +
          "Content-Disposition: form-data; name=\"syn_file\"; filename=\"backup_data.zip\"\r\n"
          "Content-Type: application/zip\r\n\r\n" +
          std::string("PK\x03\x04zip", 7) + "\r\n--" + b + "\r\n" +
          "Content-Disposition: form-data; name=\"blob\"; filename=\"file\"\r\n"
          "Content-Type: application/octet-stream\r\n\r\nraw" +
          "\r\n--" + b + "--\r\n");
  // The body went through a temporary file, which is gone again.
  EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());
}

TEST_F(HttpFormDataRequestTest, QuotesAndLineBreaksInNamesAreEscaped) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  auto fields = HttpFormDataRequest::requestWithURL(server.url("/"));
  fields->setPostFormat(HttpFormDataRequest::kMultipartFormDataPostFormat);
  fields->addPostValue("v", "a\"b\r\nc");
  std::string body = post(fields, server).body;
  EXPECT_NE(body.find("\r\nContent-Disposition: form-data; name=\"a%22bc\"\r\n\r\nv\r\n--"),
            std::string::npos)
      << body;

  auto parts = HttpFormDataRequest::requestWithURL(server.url("/"));
  parts->addData({'1'}, "evil\".txt\r\nX-Injected: 1", "text/plain", "k");
  body = post(parts, server).body;
  EXPECT_NE(body.find("; filename=\"evil%22.txtX-Injected: 1\"\r\nContent-Type: text/plain\r\n"),
            std::string::npos)
      << body;
}

TEST_F(HttpFormDataRequestTest, EmptyFormsSendNoBodyAndMissingFilesFail) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  ServerRequest seen = post(HttpFormDataRequest::requestWithURL(server.url("/")), server);
  EXPECT_EQ(seen.method, "POST");
  EXPECT_FALSE(seen.hasHeader("Content-Type"));
  EXPECT_FALSE(seen.hasHeader("Content-Length"));

  auto form = HttpFormDataRequest::requestWithURL(server.url("/"));
  form->setFile("/no/such/file.zip", "syn_file");
  Exchange missing(form);
  ASSERT_EQ(missing.run().failureCode(), 6);
  EXPECT_EQ(server.requestCount(), 1);

  // A folder is no file either; the request says so at once, before it is started.
  testsupport::TempHome home;
  auto folder = HttpFormDataRequest::requestWithURL(server.url("/"));
  folder->addFile(home.path(), "syn_file");
  ASSERT_TRUE(folder->error());
  EXPECT_EQ(folder->error()->localizedDescription(), "No file exists at " + home.path());
  Exchange refused(folder);
  EXPECT_EQ(refused.run().failureCode(), 6);
  EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(HttpFormDataRequestTest, CopiesCarryTheirOwnForm) {
  auto form = HttpFormDataRequest::requestWithURL("http://127.0.0.1/");
  form->addPostValue("1", "a");
  auto copy = std::static_pointer_cast<HttpFormDataRequest>(form->copy());
  copy->addPostValue("2", "b");
  EXPECT_EQ(form->postData()->size(), 1u);
  EXPECT_EQ(copy->postData()->size(), 2u);
}

TEST_F(HttpFormDataRequestTest, AFullDiskUnderTheBodyFileFailsTheUploadUnsent) {
  testsupport::TempHome home;
  const std::string path = home.path() + "/backup_data.zip";
  plat::files::writeFileAtomically(path, std::string(300000, 'z'));
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  for (const char* file : {"/dev/full", "/no/such/folder/body"}) {
    auto form = HttpFormDataRequest::requestWithURL(server.url("/synchronize_up.php"));
    form->setFile(path, "syn_file");
    form->setPostBodyFilePath(file);
    Exchange upload(form);
    ASSERT_EQ(upload.run().failureCode(), 8) << file;
  }
  EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(HttpFormDataRequestTest, ARedirectedMultipartFormSendsItsBodyAgainOrDropsIt) {
  testsupport::TempHome home;
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/up") return ServerReply::redirect(std::stoi(r.query()), "/there");
    return ServerReply::text(r.method + " " + std::to_string(r.body.size()));
  });
  for (int status : {307, 303}) {
    SCOPED_TRACE(status);
    auto form = HttpFormDataRequest::requestWithURL(server.url("/up?" + std::to_string(status)));
    form->setData(std::vector<uint8_t>(5000, 'z'), "syn_file");
    Exchange up(form);
    up->setTimeOutSeconds(5);
    up.run();
    const size_t sent = server.requests().front().body.size();
    EXPECT_EQ(up->responseString(),
              status == 307 ? "POST " + std::to_string(sent) : std::string("GET 0"));
    // The body's temporary file lasts as long as the request needs it, and no longer.
    EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());
  }
}

// A copy of a form whose body is built already sends all of it, whichever of the two ends first,
// and neither leaves its body file behind.
TEST_F(HttpFormDataRequestTest, ACopyOfABuiltFormSendsItsWholeBodyWhicheverEndsFirst) {
  testsupport::TempHome home;
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  for (bool originalFirst : {true, false}) {
    SCOPED_TRACE(originalFirst);
    auto form = HttpFormDataRequest::requestWithURL(server.url("/synchronize_up.php"));
    form->setPostValue("u1", "account");
    form->setData(std::vector<uint8_t>(5000, 'z'), "syn_file");
    form->buildPostBody();
    std::shared_ptr<HttpRequest> copy = form->copy();
    Exchange first(originalFirst ? form : copy), second(originalFirst ? copy : form);
    for (Exchange* exchange : {&first, &second}) {
      (*exchange)->setTimeOutSeconds(5);
      EXPECT_EQ(exchange->run().finished, 1);
      const ServerRequest seen = server.lastRequest();
      EXPECT_EQ(seen.header("Content-Length"), std::to_string(seen.body.size()));
      EXPECT_NE(seen.body.find(std::string(5000, 'z')), std::string::npos);
      EXPECT_TRUE(seen.body.ends_with("--" + boundaryOf(seen) + "--\r\n"));
    }
    EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());
  }
}
