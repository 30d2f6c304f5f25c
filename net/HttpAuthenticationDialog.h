// The built-in login form a request shows when a server or proxy asks for a login and the
// request allows it: one dialog on screen at a time, presented from an invisible controller of
// its own so that it needs none of the application's screens. Requests that need a login while
// it is up wait, and one answer serves every waiting request with the same server, realm and kind
// of challenge. Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/view/Label.h"
#include "platform/view/NavigationBar.h"
#include "platform/view/TableView.h"
#include "platform/view/TextField.h"
#include "platform/view/ViewController.h"

class HttpRequest;

// A controller that accepts every orientation.
class HttpAutorotatingViewController : public plat::ViewController {
 public:
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation) override { return true; }
};

class HttpAuthenticationDialog : public HttpAutorotatingViewController,
                                 public plat::TableViewDataSource,
                                 public plat::TableViewDelegate {
 public:
  enum Type { kServerLogin = 0, kProxyLogin = 1 };

  // Shows the dialog for the request, or, while one is up, puts the request on the waiting list.
  // Without a window to show it in, the request's login is cancelled.
  static void presentAuthenticationDialogForRequest(const std::shared_ptr<HttpRequest>& request);
  // The dialog on screen, or null.
  static HttpAuthenticationDialog* sharedDialog();
  // The requests waiting for a login while the dialog is up, in the order they came.
  static const std::vector<std::shared_ptr<HttpRequest>>& requestsNeedingAuthentication();
  static void dismiss();

  HttpAuthenticationDialog();
  ~HttpAuthenticationDialog() override;

  HttpRequest* request() const { return request_.get(); }
  Type type() const { return type_; }
  plat::TextField* usernameField() { return textFieldInRow(0, 0); }
  plat::TextField* passwordField() { return textFieldInRow(1, 0); }
  plat::TextField* domainField() { return textFieldInRow(0, 1); }
  plat::TextField* textFieldInRow(int row, int section);

  // The two buttons of the bar.
  void loginWithCredentialsFromDialog();
  void cancelAuthenticationFromDialog();

  void viewDidDisappear(bool animated) override;
  plat::TableView* tableView() const { return tableView_.get(); }

  // The form.
  int numberOfSections(plat::TableView&) override;
  int numberOfRows(plat::TableView&, int section) override { return section == 0 ? 2 : 1; }
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath& path) override;
  std::string titleForHeader(plat::TableView&, int section) override;
  std::string titleForFooter(plat::TableView&, int section) override;
  std::optional<double> heightForHeader(plat::TableView&, int section) override;
  std::optional<double> heightForFooter(plat::TableView&, int section) override;

 private:
  void show();
  void showTitle();
  void keyboardWillShow(const plat::Value& userInfo);
  bool needsDomain() const;
  // The waiting requests this dialog's answer serves, then its own request last.
  std::vector<std::shared_ptr<HttpRequest>> requestsRequiringTheseCredentials() const;
  static void presentNextDialog();
  static std::shared_ptr<plat::ViewController> presentingController();

  std::shared_ptr<HttpRequest> request_;
  std::shared_ptr<plat::ViewController> presenter_;
  Type type_ = kServerLogin;
  std::shared_ptr<plat::Label> prompt_;
  std::shared_ptr<plat::NavigationBar> bar_;
  std::shared_ptr<plat::NavigationItem> item_;
  std::shared_ptr<plat::TableView> tableView_;
  std::shared_ptr<plat::TextField> fields_[3];  // user, password, domain
};
