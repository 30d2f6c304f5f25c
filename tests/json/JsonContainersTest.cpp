// The decoder's arrays and dictionaries: lookups, immutability, changes to mutable ones
// (backward-shift deletion included) and enumeration.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

#include "json/JsonArray.h"
#include "json/JsonDictionary.h"
#include "json/JsonDictionaryEnumerator.h"
#include "tests/json/DecodeHelpers.h"

namespace {

using plat::Value;

const JsonDictionary& dictionaryOf(const Value& value) {
  return dynamic_cast<const JsonDictionary&>(*value.dictionaryStorage());
}

const JsonArray& arrayOf(const Value& value) {
  return dynamic_cast<const JsonArray&>(*value.arrayStorage());
}

TEST(JsonContainers, CapacitiesAndFullTables) {
  for (size_t count = 0; count < 300; ++count)
    EXPECT_GE(JsonDictionary::capacityForCount(count), count);
  EXPECT_GE(JsonDictionary::capacityForCount(355569362), 355569362u);
  expectRaise([] { JsonDictionary::capacityForCount(355569363); }, "OutOfMemoryException",
              "Unable to allocate memory for hash table.");

  EXPECT_FALSE(objectFromJSONString("{}").has(""));
  Value full = objectFromJSONString("{\"a\":1,\"b\":2,\"\":3}");
  EXPECT_EQ(dictionaryOf(full).capacity(), 3u);  // full: a miss must still end
  EXPECT_EQ(full[""].asInt(), 3);
  EXPECT_FALSE(full.has("c"));  // probes all three slots and stops
}

TEST(JsonContainers, LargeDictionaryFindsEveryKey) {
  std::string text = "{";
  for (int i = 0; i < 5000; ++i)
    text += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":" + std::to_string(i);
  text += "}";
  Value value = objectFromJSONString(text);
  ASSERT_EQ(value.size(), 5000u);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(value["k" + std::to_string(i)].asInt(), i);
  EXPECT_FALSE(value.has("k5000"));
}

// A document's dictionaries are filled in one pass of their own; a mutable result's take their
// pairs one by one. Both must hold the last value of each repeated key and walk their slots in
// the same order, at every table size and on both sides of each step between sizes (and between
// one-byte and four-byte slots), written compact or with spaces.
TEST(JsonContainers, DecodedDictionariesWithRepeatedKeysMatchAModel) {
  std::vector<int> counts;
  for (int count = 0; count <= 300; ++count) counts.push_back(count);
  for (int count = 301; count < 1500; ++count)
    if (JsonDictionary::capacityForCount(count) != JsonDictionary::capacityForCount(count - 1))
      counts.insert(counts.end(), {count - 1, count});
  std::mt19937 random(11);
  for (int count : counts) {
    std::map<std::string, Value> model;
    std::string compact = "{", spaced = "{ ";
    for (int i = 0; i < count; ++i) {
      // About one key in four repeats an earlier one; values are numbers and short strings.
      std::string key = "\"k" + std::to_string(random() % (count + count / 3 + 1)) + "\"";
      std::string text = "v" + std::to_string(i);
      std::string value = i % 3 ? std::to_string(i) : "\"" + text + "\"";
      compact += (i ? "," : "") + key + ":" + value;
      spaced += (i ? " , " : "") + key + " : " + value;
      model[key.substr(1, key.size() - 2)] = i % 3 ? Value(i) : Value(text);
    }
    compact += "}";
    spaced += " }";
    SCOPED_TRACE(compact);
    Value decoded = objectFromJSONString(compact);
    ASSERT_EQ(decoded.size(), model.size());
    for (const auto& [key, value] : model) ASSERT_EQ(decoded[key], value) << key;
    for (const Value& other :
         {objectFromJSONString(spaced), mutableObjectFromJSONString(compact)}) {
      EXPECT_EQ(decoded.keys(), other.keys());
      EXPECT_EQ(decoded, other);
    }
  }
}

TEST(JsonContainers, ImmutableOnesRaiseOnEveryChange) {
  Value dictionary = objectFromJSONString("{\"a\":[1,2,3]}");
  Value array = dictionary["a"];
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"JsonDictionary set", [&] { dictionary.set("b", 1); }},
      {"JsonDictionary remove", [&] { dictionary.remove("a"); }},
      {"JsonArray append", [&] { array.append(4); }},
      {"JsonArray insert", [&] { array.insert(0, 4); }},
      {"JsonArray replace", [&] { array.replace(0, 4); }},
      {"JsonArray remove", [&] { array.removeAt(0); }}};
  for (const auto& [method, change] : changes)
    expectRaise(change, "InternalInconsistencyException",
                std::string("*** -[") + method + "]: mutating method sent to immutable object");
  EXPECT_EQ(dictionary.debugString(), "{\"a\": [1, 2, 3]}");
}

TEST(JsonContainers, MutableCopiesAreTheirOwn) {
  Value array = objectFromJSONString("[1,2]");
  Value changeable(std::unique_ptr<plat::ArrayStorage>(arrayOf(array).mutableCopy()));
  changeable.append(3);
  EXPECT_EQ(changeable.debugString(), "[1, 2, 3]");
  EXPECT_EQ(array.size(), 2u);

  Value dictionary = objectFromJSONString("{\"a\":1}");
  Value plain(std::unique_ptr<plat::DictionaryStorage>(dictionaryOf(dictionary).mutableCopy()));
  plain.set("b", 2);
  EXPECT_EQ(plain.size() + dictionary.size(), 3u);

  // A copy of a shared mutable dictionary changes apart from it.
  Value original = mutableObjectFromJSONString("{\"a\":1}");
  Value ownCopy = original;
  ownCopy.set("b", 2);
  EXPECT_EQ(original.size() + ownCopy.size(), 3u);
}

TEST(JsonContainers, KeysLastAsLongAsTheDictionariesThatHoldThem) {
  // Keys with escapes are decoded in a scratch buffer that the next string reuses; a repeated key
  // keeps its last value. A dictionary taken out of its document keeps reading its keys after
  // the document is gone, and so does a mutable one after the decoder's next parse.
  const std::string text =
      "{\"outer\":{\"k\\u00e9y\":1,\"k\\u00e9y\":2,\"plain\":[3]},\"x\":\"y\"}";
  Value inner, changeable;
  {
    Value document = objectFromJSONString(text);
    inner = document["outer"];
    Value mutableDocument = mutableObjectFromJSONString(text);
    changeable = mutableDocument["outer"];
    objectFromJSONString("{\"other\":\"keys\",\"k\\u00e9z\":0}");
  }
  for (const Value* dictionary : {&inner, &changeable}) {
    EXPECT_EQ(dictionary->size(), 2u);
    EXPECT_EQ((*dictionary)["k\u00e9y"].asInt(), 2);
    EXPECT_EQ((*dictionary)["plain"].size(), 1u);
  }
  Value shared = changeable;  // changed apart: its keys are copied, then one replaced
  shared.set("k\u00e9y", 4);
  shared.remove("plain");
  EXPECT_EQ(changeable["k\u00e9y"].asInt(), 2);
  EXPECT_EQ(shared.debugString(), "{\"k\u00e9y\": 4}");
}

TEST(JsonContainers, MutableArrayChanges) {
  Value array = mutableObjectFromJSONString("[1,2,3]");
  const JsonArray& storage = arrayOf(array);
  array.insert(3, 4);  // at count: appends, growing the full array
  array.insert(0, 0);
  array.replace(2, "two");
  array.removeAt(4);
  EXPECT_EQ(array.debugString(), "[0, 1, \"two\", 3]");
  expectRaise([&] { array.insert(5, 9); }, "RangeException",
              "*** -[JsonArray insert]: index (5) beyond bounds (5)");
  expectRaise([&] { array.removeAt(4); }, "RangeException",
              "*** -[JsonArray remove]: index (4) beyond bounds (4)");
  expectRaise([&] { storage.at(7); }, "RangeException",
              "*** -[JsonArray at]: index (7) beyond bounds (4)");
  EXPECT_TRUE(array.at(7).isNull());  // Value's own reads never raise
}

TEST(JsonContainers, GetObjectsChecksItsRange) {
  Value array = objectFromJSONString("[1,2,3]");
  const JsonArray& storage = arrayOf(array);
  Value out[2];
  storage.getObjects(out, 1, 2);
  EXPECT_EQ(out[0].asInt() * 10 + out[1].asInt(), 23);
  storage.getObjects(nullptr, 0, 0);
  expectRaise(
      [&] { storage.getObjects(nullptr, 1, 1); }, "InvalidArgumentException",
      "*** -[JsonArray getObjects]: pointer to objects array is NULL but range length is 2");
  expectRaise([&] { storage.getObjects(out, 2, 2); }, "RangeException",
              "*** -[JsonArray getObjects]: index (4) beyond bounds (3)");
}

TEST(JsonContainers, MutableDictionaryMatchesAMapThroughRandomChanges) {
  Value dictionary = mutableObjectFromJSONString("{\"seed\":0}");
  std::map<std::string, int> model{{"seed", 0}};
  std::mt19937 random(7);
  for (int step = 0; step < 4000; ++step) {
    std::string key = "k" + std::to_string(random() % 300);
    if (random() % 3 == 0) {
      EXPECT_EQ(dictionary.remove(key), model.erase(key) == 1);
    } else {
      dictionary.set(key, step);
      model[key] = step;
    }
    if (step % 97 == 0) {
      ASSERT_EQ(dictionary.size(), model.size());
      for (const auto& [k, v] : model) ASSERT_EQ(dictionary[k].asInt(), v) << k;
    }
  }
  ASSERT_EQ(dictionary.size(), model.size());
  for (const auto& [k, v] : model) EXPECT_EQ(dictionary[k].asInt(), v);
}

TEST(JsonContainers, EnumeratorHandsOutEachKeyOnceInSlotOrder) {
  auto enumerator = [] {
    Value value = objectFromJSONString("{\"x\":1,\"y\":2,\"z\":3,\"w\":4}");
    return dictionaryOf(value).keyEnumerator();  // outlives the value it came from
  }();
  std::optional<std::string> first = enumerator->nextObject();
  std::vector<std::string> all = enumerator->allObjects();
  all.push_back(first.value_or(""));
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{"w", "x", "y", "z"}));
  EXPECT_FALSE(enumerator->nextObject().has_value());

  // Keys, objects and the enumerator walk the slots in one order.
  Value value = objectFromJSONString("{\"one\":1,\"two\":2,\"three\":3,\"four\":4,\"five\":5}");
  const JsonDictionary& storage = dictionaryOf(value);
  std::vector<std::string> keys;
  std::vector<Value> objects;
  storage.getObjects(&objects, &keys);
  EXPECT_EQ(keys, value.keys());
  EXPECT_EQ(keys, storage.keyEnumerator()->allObjects());
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(value[keys[i]], objects[i]);
}

}  // namespace
