#include "extract/FormRecord.h"

void FormRecord::insert(std::string form, uint32_t base) {
  if (table_.find(form) != kAbsent) return;
  forms_.push_back(std::move(form));
  bool added;
  table_.insert(forms_.back(), added);
  bases_.push_back(base);
}
