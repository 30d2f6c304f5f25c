#include "ui/BaseViewController.h"

void BaseViewController::viewDidLoad() {
  plat::ViewController::viewDidLoad();
  setEdgesForExtendedLayout(plat::kRectEdgeNone);
  setExtendedLayoutIncludesOpaqueBars(false);
}
