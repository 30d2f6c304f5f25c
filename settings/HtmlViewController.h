// A help page of the bundle's "help" folder in a web view, under a title and a back button
// titled after the screen that opened it. The page is read again each time the screen shows.
#pragma once

#include <memory>
#include <string>

#include "platform/view/WebView.h"
#include "ui/BaseViewController.h"

class HtmlViewController : public BaseViewController {
 public:
  void setNavName(const std::string& name) { navName_ = name; }
  const std::string& navName() const { return navName_; }
  void setHtmlName(const std::string& name) { htmlName_ = name; }
  const std::string& htmlName() const { return htmlName_; }
  void setParentName(const std::string& name) { ParentName_ = name; }

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;

  // Shows a page text; an unreadable page leaves the view empty.
  void addHtml(const std::string& html);
  plat::WebView& webView() { return *webView_; }

 private:
  std::string helpFolder() const;

  std::string navName_, htmlName_, ParentName_;
  std::shared_ptr<plat::WebView> webView_;
};
