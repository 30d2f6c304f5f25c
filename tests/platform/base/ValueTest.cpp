#include "platform/base/Value.h"

#include <gtest/gtest.h>

using plat::Value;

TEST(Value, ReadsCopiesComparesAndKeepsDictionaryOrder) {
  Value s("text");
  EXPECT_EQ(s.asInt(), 0);
  EXPECT_FALSE(s.asBool());
  EXPECT_EQ(s.size(), 0u);
  EXPECT_TRUE(s.at(3).isNull());
  EXPECT_TRUE(s["key"].isNull());
  Value n(42);
  EXPECT_EQ(n.asString(), "");
  EXPECT_TRUE(n.asBytes().empty());
  EXPECT_DOUBLE_EQ(n.asDouble(), 42.0);
  EXPECT_EQ(Value(-1.0e300).asInt(), INT64_MIN);  // saturates instead of overflowing
  EXPECT_EQ(Value(-5).asUInt(), static_cast<uint64_t>(-5));

  EXPECT_EQ(Value(5), Value(5u));
  EXPECT_NE(Value(-1), Value(static_cast<uint64_t>(-1)));
  EXPECT_EQ(Value(2), Value(2.0));
  EXPECT_NE(Value("1"), Value(1));
  EXPECT_EQ(Value::array({1, Value::dictionary({{"a", nullptr}})}),
            Value::array({1u, Value::dictionary({{"a", Value()}})}));
  EXPECT_NE(Value::dictionary({{"a", 1}}), Value::dictionary({{"b", 1}}));

  Value a = Value::array({1, 2});
  Value b = a;
  b.append(3);
  EXPECT_EQ(a.size(), 2u);
  EXPECT_EQ(b.size(), 3u);
  Value d = Value::dictionary({{"k", "v"}});
  Value e = d;
  e.set("k", "w");
  EXPECT_EQ(d["k"].asString(), "v");
  EXPECT_EQ(e["k"].asString(), "w");

  d = Value();
  d.set("z", 1);
  d.set("a", 2);
  d.set("m", 3);
  d.set("a", 4);
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"z", "a", "m"}));
  EXPECT_TRUE(d.remove("z"));
  EXPECT_FALSE(d.remove("z"));
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"a", "m"}));
  EXPECT_EQ(d["m"].asInt(), 3);
}
