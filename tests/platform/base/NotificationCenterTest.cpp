#include "platform/base/NotificationCenter.h"

#include <gtest/gtest.h>

using plat::Notification;
using plat::NotificationCenter;

TEST(NotificationCenter, DeliversByNameAndSenderInOrderAndNotToRemovedObservers) {
  NotificationCenter center;
  std::vector<std::string> got;
  int me = 0, sender = 0, otherSender = 0;
  center.addObserver(&me, "changed", nullptr, [&](const Notification& n) {
    got.push_back("any sender:" + n.userInfo["what"].asString());
  });
  center.addObserver(&me, "changed", &sender,
                     [&](const Notification&) { got.push_back("from sender"); });
  center.addObserver(&me, "", &otherSender,
                     [&](const Notification& n) { got.push_back("all names:" + n.name); });
  center.post("changed", &sender, plat::Value::dictionary({{"what", "badge"}}));
  center.post("changed", &otherSender);
  center.post("other", &sender);
  EXPECT_EQ(got, (std::vector<std::string>{"any sender:badge", "from sender",
                                           "any sender:", "all names:changed"}));

  int first = 0, second = 0, third = 0;
  int calls[3] = {0, 0, 0};
  center.removeObserver(&me);
  center.addObserver(&first, "n", nullptr, [&](const Notification&) {
    ++calls[0];
    center.removeObserver(&second);  // from inside a delivery: no deadlock, and second is skipped
  });
  center.addObserver(&second, "n", nullptr, [&](const Notification&) { ++calls[1]; });
  center.addObserver(&third, "n", nullptr, [&](const Notification&) { ++calls[2]; });
  center.addObserver(&third, "m", nullptr, [&](const Notification&) { ++calls[2]; });
  center.post("n");
  EXPECT_EQ(calls[0], 1);
  EXPECT_EQ(calls[1], 0);
  EXPECT_EQ(calls[2], 1);
  center.removeObserver(&third, "n", nullptr);  // only that name
  center.post("n");
  center.post("m");
  EXPECT_EQ(calls[2], 2);
}
