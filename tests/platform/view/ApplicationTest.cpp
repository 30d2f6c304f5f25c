#include <gtest/gtest.h>

#include "platform/base/Device.h"
#include "platform/base/NotificationCenter.h"
#include "platform/draw/ImageContext.h"
#include "platform/view/ViewController.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class Lifecycle : public ApplicationDelegate {
 public:
  std::vector<std::string> events;
  bool launchAnswer = true;
  bool didFinishLaunching(Application&, const Value& options) override {
    events.push_back("launch " + options.get("reason").asString());
    return launchAnswer;
  }
  void didBecomeActive(Application&) override { events.push_back("active"); }
  void willResignActive(Application&) override { events.push_back("resign"); }
  void didEnterBackground(Application&) override { events.push_back("background"); }
  void willEnterForeground(Application&) override { events.push_back("foreground"); }
  void willTerminate(Application&) override { events.push_back("terminate"); }
  void didReceiveMemoryWarning(Application&) override { events.push_back("memory"); }
};

class Warned : public ViewController {
 public:
  int warnings = 0;
  void didReceiveMemoryWarning() override { ++warnings; }
};

LocalNotification reminder(double at, const std::string& body) {
  LocalNotification n;
  n.fireDate = at;
  n.alertBody = body;
  n.userInfo = Value::dictionary({{"kind", Value("review")}});
  return n;
}

using Applications = testsupport::ViewFixture;

}  // namespace

TEST_F(Applications, TheDelegateHearsEachChangeOnceAndEveryScreenTheMemoryWarning) {
  auto delegate = std::make_shared<Lifecycle>();
  Application& app = Application::shared();
  app.setDelegate(delegate);
  delegate->launchAnswer = false;
  EXPECT_FALSE(app.launch(Value::dictionary({{"reason", Value("test")}})));
  app.becomeActive();
  app.enterBackground();
  app.enterBackground();
  app.enterForeground();
  app.resignActive();
  app.terminate();
  EXPECT_EQ(delegate->events,
            (std::vector<std::string>{"launch test", "active", "resign", "background", "foreground",
                                      "active", "resign", "terminate"}));
  EXPECT_EQ(app.state(), ApplicationState::Inactive);

  // A memory warning reaches the delegate, observers and every loaded screen.
  delegate->events.clear();
  auto root = std::make_shared<Warned>();
  auto child = std::make_shared<Warned>();
  auto presented = std::make_shared<Warned>();
  root->addChildViewController(child);
  window_->setRootViewController(root);
  root->presentViewController(presented, false);
  int posted = 0;
  NotificationCenter::defaultCenter().addObserver(this,
                                                  kApplicationDidReceiveMemoryWarningNotification,
                                                  nullptr, [&](const Notification&) { ++posted; });
  Application::shared().receiveMemoryWarning();
  NotificationCenter::defaultCenter().removeObserver(this);
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"memory"}));
  EXPECT_EQ(posted, 1);
  EXPECT_EQ(root->warnings, 1);
  EXPECT_EQ(child->warnings, 1);
  EXPECT_EQ(presented->warnings, 1);
}

TEST_F(Applications, LocalNotificationsAreListedSoonestFirst) {
  Application& app = Application::shared();
  app.scheduleLocalNotification(reminder(300, "third"));
  app.scheduleLocalNotification(reminder(100, "first"));
  app.scheduleLocalNotification(reminder(200, "second"));
  auto listed = app.scheduledLocalNotifications();
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].alertBody, "first");
  EXPECT_EQ(listed[2].alertBody, "third");

  app.cancelAllLocalNotifications();
  EXPECT_TRUE(app.scheduledLocalNotifications().empty());
}

TEST_F(Applications, AddressesOpenOutsideThroughTheHostsOpenerOrSayWhyNot) {
  // Opens web addresses only, as a desktop might.
  class WebOnly : public URLOpener {
   public:
    std::vector<std::string> opened;
    bool canOpen(const std::string& url) const override { return url.rfind("https://", 0) == 0; }
    bool open(const std::string& url) override {
      opened.push_back(url);
      return true;
    }
  };
  Application& app = Application::shared();
  std::vector<std::pair<std::string, URLOpenFailure>> failures;
  app.setURLOpenFailureHandler(
      [&](const std::string& url, URLOpenFailure why) { failures.emplace_back(url, why); });
  // Without an opener nothing opens, and nothing pretends to.
  EXPECT_FALSE(app.canOpenURL("https://example.com/ranking"));
  EXPECT_FALSE(app.openURL("https://example.com/ranking"));

  auto opener = std::make_shared<WebOnly>();
  app.setURLOpener(opener);
  EXPECT_TRUE(app.canOpenURL("https://example.com/ranking"));
  EXPECT_FALSE(app.canOpenURL("itms-apps://itunes.apple.com/app/id1"));
  EXPECT_TRUE(app.openURL("https://example.com/ranking"));
  EXPECT_FALSE(app.openURL("itms-apps://itunes.apple.com/app/id1"));
  EXPECT_EQ(opener->opened, (std::vector<std::string>{"https://example.com/ranking"}));
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[1],
            std::make_pair(std::string("itms-apps://itunes.apple.com/app/id1"),
                           URLOpenFailure::UnsupportedAddress));
  EXPECT_EQ(app.openedURLs().size(), 3u);

  app.setApplicationIconBadgeNumber(-3);
  EXPECT_EQ(app.applicationIconBadgeNumber(), 0);
}

TEST_F(Applications, WindowsStackByLevelOnAScreenThatFollowsTheDevice) {
  auto login = std::make_shared<Window>();
  login->setWindowLevel(kWindowLevelStatusBar);
  login->setBackgroundColor(Color::black().withAlpha(0.4));
  EXPECT_EQ(Application::shared().windows(), (std::vector<Window*>{window_.get()}));
  login->makeKeyAndVisible();
  EXPECT_EQ(Application::shared().keyWindow(), login.get());
  EXPECT_EQ(Application::shared().windows(), (std::vector<Window*>{window_.get(), login.get()}));
  EXPECT_EQ(Application::shared().windowAt({10, 10}), login.get());
  login->setUserInteractionEnabled(false);
  EXPECT_EQ(Application::shared().windowAt({10, 10}), window_.get()) << "touches pass through";
  window_->makeKey();
  login.reset();
  EXPECT_EQ(Application::shared().keyWindow(), window_.get());
  window_.reset();
  EXPECT_EQ(Application::shared().keyWindow(), nullptr) << "a window that went is not kept";

  Screen::main().configure({768, 1024}, 1, UserInterfaceIdiom::Pad);
  EXPECT_TRUE(Screen::main().isPad());
  EXPECT_EQ(Device::current().idiom, DeviceIdiom::Tablet);
  EXPECT_EQ(ImageContext({10, 10}).image()->pixelWidth(), 10);
  Screen::main().reset();
}
