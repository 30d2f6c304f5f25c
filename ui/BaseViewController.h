// The base of most screens: their content starts below the navigation bar instead of under it.
#pragma once

#include "platform/view/ViewController.h"

class BaseViewController : public plat::ViewController {
 public:
  void viewDidLoad() override;
};
