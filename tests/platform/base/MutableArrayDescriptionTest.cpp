// The short form of mutable arrays: what it shows of an array, and where it is used once the
// process asks for it.
#include "platform/base/MutableArrayDescription.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <thread>

using plat::Value;

namespace {

std::string addressOf(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

// Switches the short form on for one test and off again, whatever the test does.
struct ShortFormOn {
  ShortFormOn() { plat::setMutableArraysDescribedByIdentity(true); }
  ~ShortFormOn() { plat::setMutableArraysDescribedByIdentity(false); }
};

// An array kind other than the platform's mutable one, as a decoded document has.
class FixedPair : public plat::ArrayStorage {
 public:
  size_t size() const override { return 2; }
  const Value& at(size_t index) const override { return items_[index]; }
  void append(Value) override {}
  void insert(size_t, Value) override {}
  void replace(size_t, Value) override {}
  void remove(size_t) override {}
  std::unique_ptr<plat::ArrayStorage> clone() const override {
    return std::make_unique<FixedPair>();
  }

 private:
  Value items_[2] = {Value(1), Value("x")};
};

}  // namespace

TEST(MutableArrayDescription, ShowsHoldersCountAddressAndEachElementsAddressAndHash) {
  Value array = Value::array({1, 1.0, "a", "b"});
  Value held = array;  // a second holder
  const std::string text = plat::mutableArrayDescription(array);
  std::smatch head;
  ASSERT_TRUE(std::regex_search(text, head, std::regex("^<(\\d+),(\\d+),(0x[0-9a-f]+)>,"))) << text;
  EXPECT_EQ(head[1], "2");
  EXPECT_EQ(head[2], "4");
  EXPECT_EQ(head[3], addressOf(array.arrayStorage()));

  std::string rest = head.suffix();
  const std::regex piece("^\\[(0x[0-9a-f]+)--(-?\\d+)\\] ");
  std::vector<std::string> hashes;
  for (size_t i = 0; i < array.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_search(rest, m, piece)) << text;
    EXPECT_EQ(m[1], addressOf(&array.at(i)));
    hashes.push_back(m[2]);
    rest = m.suffix();
  }
  EXPECT_EQ(rest, "") << "the pieces run together to the end";
  EXPECT_EQ(hashes[0], hashes[1]) << "1 and 1.0 are equal values";
  EXPECT_NE(hashes[2], hashes[3]);

  EXPECT_EQ(plat::mutableArrayDescription(Value::array()).substr(0, 5), "<1,0,");
  EXPECT_EQ(plat::mutableArrayDescription(Value("not an array")), "");
}

TEST(MutableArrayDescription, HashesAgreeWithEquality) {
  const uint32_t one = plat::valueHash(1);
  EXPECT_EQ(plat::valueHash(1u), one);
  EXPECT_EQ(plat::valueHash(1.0), one);
  EXPECT_EQ(plat::valueHash(Value::decimal("1")), one);
  EXPECT_EQ(plat::valueHash(-0.0), plat::valueHash(0));
  EXPECT_EQ(plat::valueHash(std::string("词") + "语"), plat::valueHash("词语"));
  // Values of different kinds are never equal, and mostly hash apart.
  EXPECT_NE(plat::valueHash("1"), one);
  EXPECT_NE(plat::valueHash(true), one);
  EXPECT_NE(plat::valueHash(Value()), plat::valueHash(false));
  EXPECT_EQ(plat::valueHash(Value::array({1, 2})), plat::valueHash(Value::array({2, 1})))
      << "containers hash by size alone";
  EXPECT_EQ(plat::valueHash(Value::dictionary({{"a", 1}})),
            plat::valueHash(Value::dictionary({{"b", 2}})));
}

TEST(MutableArrayDescription, WhileAskedForEveryPlainArrayPrintsShortOnEveryThread) {
  Value inner = Value::array({"x"});
  Value document =
      Value::dictionary({{"list", inner}, {"fixed", Value(std::make_unique<FixedPair>())}});
  const std::string ordinary = R"({"list": ["x"], "fixed": [1, "x"]})";
  EXPECT_EQ(document.debugString(), ordinary);
  {
    ShortFormOn on;
    std::string seen;
    std::thread([&] { seen = document.debugString(); }).join();
    const std::string shortForm = plat::mutableArrayDescription(document["list"]);
    EXPECT_EQ(seen, "{\"list\": " + shortForm + ", \"fixed\": [1, \"x\"]}")
        << "the other kind of array keeps its elements";
    EXPECT_NE(shortForm.find(addressOf(inner.arrayStorage())), std::string::npos);
  }
  EXPECT_EQ(document.debugString(), ordinary);
}
