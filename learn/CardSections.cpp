#include "learn/CardSections.h"

#include "store/CallDB.h"

namespace CardSections {
namespace {

constexpr Info kSections[kCount] = {
    {1, "助记", "show_mnemonic", "help move"},  {2, "语法", "show_yufa", "help move"},
    {3, "例句", "show_eg", "eg move"},          {4, "学习信息", "show_wi", "eg move"},
    {5, "单词编辑者", "show_we", "we move"},    {6, "英文翻译", "show_wme", "we move"},
    {7, "近/反义词", "show_jinfan", "we move"}, {8, "词组、短语", "show_phrases", "we move"},
    {9, "其他相关词", "show_other", "we move"},
};

}  // namespace

const Info* info(int code) {
  return code >= 1 && code <= kCount ? &kSections[code - 1] : nullptr;
}

bool isExpanded(int code) {
  const Info* section = info(code);
  return section && CallDB::callDB()->getPersonalValue(section->flagKey) == "1";
}

void setExpanded(int code, bool expanded) {
  if (const Info* section = info(code))
    CallDB::callDB()->UpdatePersonalValue_isNeed(section->flagKey, expanded ? "1" : "0");
}

}  // namespace CardSections
