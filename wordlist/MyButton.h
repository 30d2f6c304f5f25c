// The button at the left of a word row: it knows its row and the row word's state.
#pragma once

#include <cstdint>

#include "platform/view/Button.h"

class MyButton : public plat::Button {
 public:
  static constexpr int64_t kRowBase = 1000000;

  MyButton() : plat::Button(plat::ButtonType::Custom) {}

  int64_t indexNum() const { return indexNum_; }
  void setIndexNum(int64_t indexNum) { indexNum_ = indexNum; }
  int64_t row() const { return indexNum_ - kRowBase; }
  // 1 in study, 2 not selected, 3 selected, 0 none.
  int64_t isState() const { return isState_; }
  void setIsState(int64_t state) { isState_ = state; }

 private:
  int64_t indexNum_ = kRowBase;
  int64_t isState_ = 0;
};
