#include "platform/base/Value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

TEST(ValueGroup, StringsOverManyChunksReadBackAndTheirTextsGoWithTheGroup) {
  // A first chunk of an odd size, then enough strings (short ones inside their boxes, long ones
  // with heap texts) and containers' room, one of it larger than a chunk's quarter, to fill
  // several chunks. Every string reads back while the group lives; copies taken out keep it
  // alive after its maker lets go. The sanitizers see every text freed once.
  plat::ValueGroup* group = plat::ValueGroup::make(261);
  std::vector<Value> members, kept;
  for (int i = 0; i < 6000; ++i) {
    const std::string text =
        i % 3 == 0 ? std::to_string(i) : std::string(16 + i % 50, 'x') + std::to_string(i);
    members.push_back(Value::groupString(*group, text));
    if (i % 7 == 0) std::memset(group->allocate(i == 700 ? 40000 : 24 + i % 40), 0, 24);
    if (i % 1000 == 1) kept.push_back(members.back());
  }
  for (int i = 0; i < 6000; ++i) {
    const std::string& text = members[static_cast<size_t>(i)].asString();
    ASSERT_EQ(text.substr(text.size() - std::to_string(i).size()), std::to_string(i)) << i;
  }
  members.clear();
  group->release();
  ASSERT_EQ(kept.size(), 6u);
  EXPECT_EQ(kept[0].asString(), std::string(17, 'x') + "1");
  EXPECT_EQ(kept[5].asString(), "5001");  // a short one
}
