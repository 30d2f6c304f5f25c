#include "net/HttpAuthenticationDialog.h"

#include <filesystem>

#include "platform/host/HeadlessHost.h"
#include "platform/view/Keyboard.h"
#include "platform/view/TableView.h"
#include "tests/net/NetTestSupport.h"
#include "tests/net/NtlmTestServer.h"
#include "tests/support/NavApp.h"

using namespace nettest;
using plat::http::Authentication;

namespace {

// A server that wants the user "lin" with the password "right" in the realm "单词本".
ServerReply basicLogin(const ServerRequest& r) {
  if (r.header("Authorization") != Authentication::basicValue("lin", "right"))
    return ServerReply::text("login", 401).header("WWW-Authenticate", "Basic realm=\"单词本\"");
  return ServerReply::text("welcome " + r.target);
}

class HttpAuthenticationDialogTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    HttpRequest::clearSessionCredentials();
    host_ = std::make_unique<plat::HeadlessHost>(std::make_shared<testsupport::NavApp>(
        [] { return std::make_shared<plat::ViewController>(); }));
    ASSERT_TRUE(host_->launch());
  }
  void TearDown() override {
    HttpRequest::clearSessionCredentials();
    host_->advance(5);
    host_.reset();
    plat::RunLoop::main().discardAllSources();
    NetTest::TearDown();
  }
  // Runs the main loop for real while virtual time passes, so animations end too.
  bool waitFor(const std::function<bool()>& done) {
    for (int step = 0; step < 80; ++step) {
      if (plat::RunLoop::main().runUntil(done, 0.05)) return true;
      host_->advance(0.25);
    }
    return false;
  }
  std::shared_ptr<HttpRequest> start(const std::string& url, Recorder& recorder) {
    auto request = HttpRequest::requestWithURL(url);
    request->setShouldPresentAuthenticationDialog(true);
    request->setDelegate(&recorder);
    request->startAsynchronous();
    return request;
  }
  bool dialogFor(HttpRequest* request) {
    auto* dialog = HttpAuthenticationDialog::sharedDialog();
    return dialog && dialog->request() == request && dialog->isVisible();
  }
  // Types the user and password into the dialog, keeps a picture of it and logs in.
  void logIn(const std::string& user, const std::string& password, const std::string& screen) {
    host_->type(user);
    ASSERT_TRUE(host_->tap(HttpAuthenticationDialog::sharedDialog()->passwordField()));
    host_->type(password);
    const std::string dir = "/tmp/vocab-test-screens";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(host_->writeScreen(dir + "/" + screen + ".png"));
    ASSERT_TRUE(host_->tap(host_->findButton("Login")));
  }
  std::unique_ptr<plat::HeadlessHost> host_;
};

TEST_F(HttpAuthenticationDialogTest, OneLoginAnswersEveryRequestOfTheSameServerAndRealm) {
  LoopbackHttpServer words(basicLogin), other(basicLogin);
  Recorder first, second, elsewhere;
  auto a = start(words.url("/a"), first);
  ASSERT_TRUE(waitFor([&] { return dialogFor(a.get()); }));
  auto b = start(words.url("/b"), second);
  auto c = start(other.url("/c"), elsewhere);
  ASSERT_TRUE(waitFor(
      [] { return HttpAuthenticationDialog::requestsNeedingAuthentication().size() == 2; }));

  EXPECT_NE(host_->findByText("Login to this secure server."), nullptr);
  EXPECT_NE(host_->findByText("127.0.0.1"), nullptr);
  EXPECT_NE(host_->findByText("单词本"), nullptr);
  EXPECT_NE(host_->findByText("Password will be sent in the clear."), nullptr);
  EXPECT_EQ(HttpAuthenticationDialog::sharedDialog()->domainField(), nullptr);
  // The keyboard came with the user field: the form and its indicators end above it.
  ASSERT_TRUE(plat::Keyboard::isVisible());
  const plat::TableView& form = *HttpAuthenticationDialog::sharedDialog()->tableView();
  EXPECT_EQ(form.contentInset().bottom, plat::Keyboard::frame().height);
  EXPECT_EQ(form.scrollIndicatorInsets().bottom, plat::Keyboard::frame().height);
  logIn("lin", "right", "http_login_dialog");

  ASSERT_TRUE(waitFor([&] { return first.done() && second.done(); }));
  EXPECT_EQ(text(a->responseData()), "welcome /a");
  EXPECT_EQ(text(b->responseData()), "welcome /b");
  // The other server's request waited and gets its own dialog; cancelling it fails the request.
  ASSERT_TRUE(waitFor([&] { return dialogFor(c.get()); }));
  EXPECT_FALSE(elsewhere.done());
  ASSERT_TRUE(host_->tap(host_->findButton("取消")));
  ASSERT_TRUE(waitFor([&] { return elsewhere.done(); }));
  ASSERT_EQ(elsewhere.failureCode(), kHttpAuthenticationFailure);
  EXPECT_TRUE(waitFor([] { return !HttpAuthenticationDialog::sharedDialog(); }));
}

TEST_F(HttpAuthenticationDialogTest, AProxyLoginNamesTheProxyAndWarnsOfBasic) {
  LoopbackHttpServer proxy([](const ServerRequest& r) {
    if (r.header("Proxy-Authorization") != Authentication::basicValue("gate", "pass"))
      return ServerReply::text("no", 407).header("Proxy-Authenticate", "Basic realm=\"出口\"");
    return ServerReply::text("via proxy " + r.target);
  });
  Exchange get("http://127.0.0.1:9/secret");
  get->setProxyHost("127.0.0.1");
  get->setProxyPort(proxy.port());
  get.start();
  ASSERT_TRUE(waitFor([&] { return dialogFor(get.request.get()); }));
  EXPECT_NE(host_->findByText("Login to this secure proxy server."), nullptr);
  // Basic to a proxy goes in the clear, whatever the server's own scheme.
  EXPECT_NE(host_->findByText("Password will be sent in the clear."), nullptr);
  logIn("gate", "pass", "http_proxy_login_dialog");
  ASSERT_TRUE(waitFor([&] { return get.done(); }));
  EXPECT_EQ(text(get->responseData()), "via proxy http://127.0.0.1:9/secret");
}

TEST_F(HttpAuthenticationDialogTest, AnNtlmLoginAsksForTheDomainTooAndSendsIt) {
  NtlmServer ntlm;
  ntlm.addAccount("lin", "right");
  LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });
  Recorder recorder;
  auto request = start(server.url("/domain"), recorder);
  ASSERT_TRUE(waitFor([&] { return dialogFor(request.get()); }));
  auto* dialog = HttpAuthenticationDialog::sharedDialog();
  ASSERT_NE(dialog->domainField(), nullptr);
  EXPECT_NE(host_->findByText("Password will be sent securely."), nullptr);
  ASSERT_TRUE(host_->tap(dialog->domainField()));
  host_->type("WORDS");
  ASSERT_TRUE(host_->tap(dialog->usernameField()));
  logIn("lin", "right", "http_ntlm_login_dialog");
  ASSERT_TRUE(waitFor([&] { return recorder.done(); }));
  EXPECT_EQ(text(request->responseData()), "welcome lin GET ");
  EXPECT_EQ(request->domain(), "WORDS");
  ASSERT_EQ(ntlm.answers().size(), 1u);
  EXPECT_EQ(ntlm.answers()[0].domain, "WORDS");
}

}  // namespace

TEST_F(HttpAuthenticationDialogTest, OnATabletTheLoginIsAFormSheetOverTheDimmedScreen) {
  host_.reset();
  plat::Screen::main().configure({768, 1024}, 1, plat::UserInterfaceIdiom::Pad);
  host_ = std::make_unique<plat::HeadlessHost>(std::make_shared<testsupport::NavApp>(
      [] { return std::make_shared<HttpAutorotatingViewController>(); }));
  ASSERT_TRUE(host_->launch());
  LoopbackHttpServer server(basicLogin);
  Recorder recorder;
  auto get = start(server.url("/tablet"), recorder);
  ASSERT_TRUE(waitFor([&] { return dialogFor(get.get()); }));
  HttpAuthenticationDialog* dialog = HttpAuthenticationDialog::sharedDialog();
  EXPECT_EQ(dialog->view()->frame(), (plat::Rect{114, 202, 540, 620})) << "centred";
  // The screen behind stays drawn, dimmed; the form's header is the tablet's.
  auto picture = host_->renderScreen();
  ASSERT_TRUE(picture);
  const plat::Color corner = picture->colorAtPoint({20, 20});
  EXPECT_LT(corner.r + corner.g + corner.b, 3 * 0.7) << "dimmed";
  EXPECT_GT(corner.r + corner.g + corner.b, 0.3) << "but not hidden";

  // Turned, the sheet stays centred and leaves its prompt out; turned back, the prompt returns.
  const std::string prompt = "Login to this secure server.";
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::LandscapeLeft));
  host_->advance(1);
  EXPECT_EQ(dialog->view()->frame(), (plat::Rect{242, 74, 540, 620}));
  EXPECT_EQ(host_->findByText(prompt), nullptr);
  EXPECT_TRUE(host_->writeScreen("/tmp/vocab-test-screens/http_login_form_sheet_turned.png"));
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::Portrait));
  host_->advance(1);
  EXPECT_EQ(dialog->view()->frame(), (plat::Rect{114, 202, 540, 620}));
  EXPECT_NE(host_->findByText(prompt), nullptr);
  logIn("lin", "right", "http_login_form_sheet");
  ASSERT_TRUE(waitFor([&] { return recorder.done(); }));
  host_->advance(2);
  EXPECT_EQ(text(get->responseData()), "welcome /tablet");
  const plat::Color after = host_->renderScreen()->colorAtPoint({20, 20});
  EXPECT_GT(after.r + after.g + after.b, corner.r + corner.g + corner.b + 0.3)
      << "the dimming goes with the sheet";
}
