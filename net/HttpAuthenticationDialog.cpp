#include "net/HttpAuthenticationDialog.h"

#include <algorithm>

#include "net/HttpRequest.h"
#include "platform/base/Device.h"
#include "platform/base/NotificationCenter.h"
#include "platform/base/RunLoop.h"
#include "platform/view/Application.h"
#include "platform/view/Keyboard.h"
#include "platform/view/TableViewCell.h"
#include "platform/view/Window.h"

namespace {

constexpr double kPromptHeight = 30;

struct DialogState {
  std::shared_ptr<HttpAuthenticationDialog> shown;
  std::vector<std::shared_ptr<HttpRequest>> waiting;
};

// Kept for the life of the process (never torn down at exit under a dialog still up).
DialogState& state() {
  static auto* dialogs = new DialogState;
  return *dialogs;
}

bool isPhone() {
  return plat::Device::current().idiom == plat::DeviceIdiom::Phone;
}

bool isPortrait(plat::InterfaceOrientation orientation) {
  return orientation == plat::InterfaceOrientation::Portrait ||
         orientation == plat::InterfaceOrientation::PortraitUpsideDown;
}

}  // namespace

// ---- Showing one dialog at a time

void HttpAuthenticationDialog::presentAuthenticationDialogForRequest(
    const std::shared_ptr<HttpRequest>& request) {
  if (!request) return;
  if (state().shown) {
    state().waiting.push_back(request);
    return;
  }
  if (plat::Application::shared().windows().empty()) {
    request->cancelAuthentication();  // nowhere to ask: the login fails as if cancelled
    return;
  }
  auto dialog = std::make_shared<HttpAuthenticationDialog>();
  state().shown = dialog;
  dialog->request_ = request;
  dialog->type_ = request->authenticationNeeded() == 2 ? kProxyLogin : kServerLogin;
  dialog->show();
}

HttpAuthenticationDialog* HttpAuthenticationDialog::sharedDialog() {
  return state().shown.get();
}

const std::vector<std::shared_ptr<HttpRequest>>&
HttpAuthenticationDialog::requestsNeedingAuthentication() {
  return state().waiting;
}

void HttpAuthenticationDialog::dismiss() {
  if (auto dialog = state().shown) dialog->dismissViewController(true);
}

void HttpAuthenticationDialog::presentNextDialog() {
  if (state().shown || state().waiting.empty()) return;
  auto next = state().waiting.front();
  state().waiting.erase(state().waiting.begin());
  presentAuthenticationDialogForRequest(next);
}

HttpAuthenticationDialog::HttpAuthenticationDialog() {
  plat::NotificationCenter& center = plat::NotificationCenter::defaultCenter();
  if (isPhone()) {
    center.addObserver(this, plat::kKeyboardWillShowNotification, nullptr,
                       [this](const plat::Notification& note) { keyboardWillShow(note.userInfo); });
  }
  // Presented from outside the screens' hierarchy, the dialog hears of a turn this way.
  center.addObserver(this, plat::kApplicationDidChangeStatusBarOrientationNotification, nullptr,
                     [this](const plat::Notification&) { showTitle(); });
}

HttpAuthenticationDialog::~HttpAuthenticationDialog() {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

// The invisible controller the dialog is presented from, in the application's first window.
std::shared_ptr<plat::ViewController> HttpAuthenticationDialog::presentingController() {
  auto presenter = std::make_shared<HttpAutorotatingViewController>();
  auto view = presenter->view();
  view->setFrame({});
  view->setUserInteractionEnabled(false);
  plat::Application::shared().windows().front()->addSubview(view);
  return presenter;
}

void HttpAuthenticationDialog::show() {
  auto root = view();
  for (auto subviews = root->subviews(); auto& subview : subviews) subview->removeFromSuperview();
  root->setBackgroundColor(plat::Color::rgb255(239, 239, 244));
  const double width = root->bounds().width;

  prompt_ = std::make_shared<plat::Label>(plat::Rect{0, 0, width, kPromptHeight});
  prompt_->setFont(plat::Font::system(13));
  prompt_->setTextAlignment(plat::TextAlignment::Center);
  prompt_->setTextColor(plat::Color::darkGray());
  prompt_->setBackgroundColor(plat::Color::rgb255(247, 247, 247));
  prompt_->setAutoresizingMask(plat::kFlexibleWidth);
  root->addSubview(prompt_);

  item_ = std::make_shared<plat::NavigationItem>();
  item_->setTitle(type_ == kProxyLogin ? request_->proxyHost() : request_->url().host());
  item_->setLeftBarButtonItem(std::make_shared<plat::BarButtonItem>(
      "取消", plat::BarButtonStyle::Bordered,
      [this](plat::BarButtonItem&) { cancelAuthenticationFromDialog(); }));
  item_->setRightBarButtonItem(std::make_shared<plat::BarButtonItem>(
      "Login", plat::BarButtonStyle::Done,
      [this](plat::BarButtonItem&) { loginWithCredentialsFromDialog(); }));
  bar_ =
      std::make_shared<plat::NavigationBar>(plat::Rect{0, 0, width, plat::NavigationBar::kHeight});
  bar_->setAutoresizingMask(plat::kFlexibleWidth);
  bar_->setItems({item_});
  root->addSubview(bar_);

  const char* placeholders[] = {"User", "Password", "Domain"};
  for (int i = 0; i < 3; ++i) {
    fields_[i] = std::make_shared<plat::TextField>();
    fields_[i]->setPlaceholder(placeholders[i]);
    fields_[i]->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  }
  fields_[1]->setSecureTextEntry(true);

  tableView_ = std::make_shared<plat::TableView>(plat::Rect{}, plat::TableViewStyle::Grouped);
  tableView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  root->addSubview(tableView_);
  showTitle();

  if (!isPhone()) {
    setModalTransitionStyle(plat::ModalTransitionStyle::CrossDissolve);
    setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
  }
  presenter_ = presentingController();
  presenter_->presentViewController(shared_from_this(), true);
  view()->layoutIfNeeded();  // the form's cells, and so its fields, are in the window now
  usernameField()->becomeFirstResponder();
}

// The prompt shows in portrait only; the bar sits below it and the form takes the rest.
void HttpAuthenticationDialog::showTitle() {
  if (!prompt_) return;
  const bool portrait = isPortrait(plat::Application::shared().statusBarOrientation());
  prompt_->setText(!portrait              ? ""
                   : type_ == kProxyLogin ? "Login to this secure proxy server."
                                          : "Login to this secure server.");
  prompt_->setHidden(!portrait);
  const plat::Rect bounds = view()->bounds();
  const double top = portrait ? kPromptHeight : 0;
  prompt_->setFrame({0, 0, bounds.width, kPromptHeight});
  bar_->setFrame({0, top, bounds.width, plat::NavigationBar::kHeight});
  const double below = top + plat::NavigationBar::kHeight;
  tableView_->setFrame({0, below, bounds.width, bounds.height - below});
}

void HttpAuthenticationDialog::keyboardWillShow(const plat::Value& userInfo) {
  if (!tableView_) return;
  const plat::Rect keyboard = plat::Keyboard::rectFromValue(userInfo[plat::kKeyboardFrameEndKey]);
  plat::EdgeInsets insets = tableView_->contentInset();
  insets.bottom = keyboard.height;
  tableView_->setContentInset(insets);
  plat::EdgeInsets indicators = tableView_->scrollIndicatorInsets();
  indicators.bottom = keyboard.height;
  tableView_->setScrollIndicatorInsets(indicators);
}

void HttpAuthenticationDialog::viewDidDisappear(bool) {
  // Let go on the next turn: the presenting code is still on the stack.
  auto keep = std::static_pointer_cast<HttpAuthenticationDialog>(shared_from_this());
  if (state().shown == keep) state().shown.reset();
  plat::RunLoop::main().perform([keep] {
    if (auto presenter = std::move(keep->presenter_)) presenter->view()->removeFromSuperview();
    presentNextDialog();
  });
}

// ---- The form

bool HttpAuthenticationDialog::needsDomain() const {
  const std::string& scheme = type_ == kProxyLogin ? request_->proxyAuthenticationScheme()
                                                   : request_->authenticationScheme();
  return scheme == "NTLM";
}

plat::TextField* HttpAuthenticationDialog::textFieldInRow(int row, int section) {
  const int index = section == 0 ? row : 2;
  if (index > 2 || (index == 2 && !needsDomain())) return nullptr;
  return fields_[index].get();
}

int HttpAuthenticationDialog::numberOfSections(plat::TableView&) {
  return needsDomain() ? 2 : 1;
}

std::shared_ptr<plat::TableViewCell> HttpAuthenticationDialog::cellForRow(
    plat::TableView&, const plat::IndexPath& path) {
  auto cell = plat::TableViewCell::create(plat::TableViewCellStyle::Default, "");
  cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
  plat::TextField* field = textFieldInRow(path.row, path.section);
  if (!field) return cell;
  const plat::Rect content = cell->contentView().bounds();
  field->removeFromSuperview();
  field->setFrame({10, 10, content.width - 20, content.height - 20});
  cell->contentView().addSubview(field->shared_from_this());
  return cell;
}

std::string HttpAuthenticationDialog::titleForHeader(plat::TableView&, int section) {
  if (section != 0) return "";
  return type_ == kProxyLogin ? request_->proxyAuthenticationRealm()
                              : request_->authenticationRealm();
}

std::optional<double> HttpAuthenticationDialog::heightForHeader(plat::TableView&, int section) {
  return section == 0 ? (isPhone() ? 30 : 54) : 0;
}

// Basic sends the password readable by anyone on the way: to a server over plain HTTP, and to a
// proxy always (the connection to the proxy is not encrypted).
std::string HttpAuthenticationDialog::titleForFooter(plat::TableView& table, int section) {
  if (section != numberOfSections(table) - 1) return "";
  const bool basic = (type_ == kProxyLogin ? request_->proxyAuthenticationScheme()
                                           : request_->authenticationScheme()) == "Basic";
  const bool clear = basic && (type_ == kProxyLogin || !request_->url().isSecure());
  return clear ? "Password will be sent in the clear." : "Password will be sent securely.";
}

std::optional<double> HttpAuthenticationDialog::heightForFooter(plat::TableView& table,
                                                                int section) {
  return section == numberOfSections(table) - 1 ? 30 : 0;
}

// ---- Answering

std::vector<std::shared_ptr<HttpRequest>>
HttpAuthenticationDialog::requestsRequiringTheseCredentials() const {
  const plat::http::Url& url = request_->url();
  auto realmOf = [this](const HttpRequest& r) {
    return type_ == kProxyLogin ? r.proxyAuthenticationRealm() : r.authenticationRealm();
  };
  std::vector<std::shared_ptr<HttpRequest>> same;
  for (const auto& other : state().waiting) {
    const plat::http::Url otherUrl = other->url();
    if (other->authenticationNeeded() == request_->authenticationNeeded() &&
        otherUrl.host() == url.host() && otherUrl.port() == url.port() &&
        otherUrl.scheme() == url.scheme() && realmOf(*other) == realmOf(*request_))
      same.push_back(other);
  }
  same.push_back(request_);
  return same;
}

void HttpAuthenticationDialog::loginWithCredentialsFromDialog() {
  const std::string user = fields_[0]->text(), password = fields_[1]->text(),
                    domain = fields_[2]->text();
  const bool withDomain = needsDomain();
  auto& waiting = state().waiting;
  for (const auto& request : requestsRequiringTheseCredentials()) {
    if (type_ == kProxyLogin) {
      request->setProxyUsername(user);
      request->setProxyPassword(password);
      if (withDomain) request->setProxyDomain(domain);
    } else {
      request->setUsername(user);
      request->setPassword(password);
      if (withDomain) request->setDomain(domain);
    }
    request->retryUsingSuppliedCredentials();
    waiting.erase(std::remove(waiting.begin(), waiting.end(), request), waiting.end());
  }
  dismissViewController(true);
}

void HttpAuthenticationDialog::cancelAuthenticationFromDialog() {
  auto& waiting = state().waiting;
  for (const auto& request : requestsRequiringTheseCredentials()) {
    request->cancelAuthentication();
    waiting.erase(std::remove(waiting.begin(), waiting.end(), request), waiting.end());
  }
  dismissViewController(true);
}
