#include <functional>

#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;

class NotesTest : public storetest::StudyTest {
 protected:
  struct Kind {
    std::string table, text, sync;
    std::function<std::string(CallDB*, const std::string&)> get;
    std::function<void(CallDB*, const std::string&, const std::string&)> save;
  };
  static std::vector<Kind> kinds() {
    return {{"Study_Note", "sn_tNote", "sn_uNeedSync", &CallDB::getNote, &CallDB::saveNote},
            {"Words_Mnemonic", "wm_tMnemonic", "wm_uNeedSync", &CallDB::getMnemonic,
             &CallDB::saveMnemonic},
            {"Words_MyYuFa", "wm_tYuFa", "wm_uNeedSync", &CallDB::getMyYuFa, &CallDB::saveMyYuFa},
            {"Words_YuFa", "wy_tYuFa", "wy_uNeedSync", &CallDB::getYuFa, &CallDB::saveYuFa}};
  }
};

TEST_F(NotesTest, TextsAreFlattenedKeptInOneRowMarkedForBackupAndNeedAKnownWord) {
  for (const Kind& kind : kinds()) {
    SCOPED_TRACE(kind.table);
    kind.save(db_, "apple", "a\n\nb\tc 苹果");
    EXPECT_EQ(kind.get(db_, "apple"), "a  b c 苹果");
    EXPECT_VALUE(rows("select " + kind.text + " from " + kind.table, "s"),
                 Value::array({"a  b c 苹果"}));
    // Saving the same text again still marks it for the next backup; an empty text keeps the row.
    kind.save(db_, "apple", "first");
    db_->sql_update("update " + kind.table + " set " + kind.sync + " = 1", "", Value::array());
    kind.save(db_, "apple", "first");
    EXPECT_VALUE(rows("select " + kind.text + ", " + kind.sync + " from " + kind.table, "sn"),
                 Value::array({Value::array({"first", 0})}));
    kind.save(db_, "apple", "");
    EXPECT_EQ(kind.get(db_, "apple"), "");
    kind.save(db_, "pear", "梨");
    EXPECT_EQ(kind.get(db_, "pear"), "");
    EXPECT_EQ(number("select count(*) from " + kind.table), 1);
  }
  // Texts stored by other means (a restored backup) read the same way.
  db_->sql_insert("replace into Study_Note (sn_uWordID, sn_tNote) values (2, ?)", "s",
                  Value::array({"x\ty\nz"}));
  EXPECT_EQ(db_->getNote("book"), "x y z");
}

}  // namespace
