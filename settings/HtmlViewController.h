// One page of the bundle's help folder in a web view. A link to another page of the folder
// pushes a further viewer titled from the page (the element whose id is the link's index holds
// the title); web and store addresses open outside the application.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/view/WebView.h"
#include "ui/BaseViewController.h"

class HtmlViewController : public BaseViewController, public plat::WebViewDelegate {
 public:
  // A viewer of the help page `htmlName` titled `navName`, its back button titled `parentName`.
  static std::shared_ptr<HtmlViewController> helpPage(const std::string& navName,
                                                      const std::string& htmlName,
                                                      const std::string& parentName);
  ~HtmlViewController() override;

  void setNavName(const std::string& name) { navName_ = name; }
  void setHtmlName(const std::string& name) { htmlName_ = name; }
  void setParentName(const std::string& name) { ParentName_ = name; }
  const std::string& navName() const { return navName_; }
  const std::string& htmlName() const { return htmlName_; }
  const std::string& ParentName() const { return ParentName_; }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override;

  // Shows a page text; an empty text opens the page name itself as an outside address.
  void addHtml(const std::string& text);
  void openURLinHtml(const std::string& address);
  bool shouldStartLoad(plat::WebView&, const std::string& url, plat::WebNavigationType) override;
  void didFinishLoad(plat::WebView&) override;

  // The help folder of the bundle, and the text of a page in it (nothing when it cannot be read).
  static std::string helpFolder();
  static std::optional<std::string> readPage(const std::string& name);

  plat::WebView& webView() { return *webView_; }

 private:
  // Reads the page anew; an address page opens outside only when `mayOpenOutside`.
  void reloadPage(bool mayOpenOutside = true);

  std::string navName_;
  std::string htmlName_;
  std::string ParentName_;
  std::shared_ptr<plat::WebView> webView_;
};
