// What the review queue does to the review screen. The screen implements the calls it answers
// to; every default does nothing. The queue never owns its view.
#pragma once

#include <string>

class ReviewQueueView {
 public:
  virtual ~ReviewQueueView() = default;

  // The word button's title: the display form of the word on screen, or "" when idle.
  virtual void setWordTitle(const std::string& /*title*/) {}
  // The review tab's title: "复习中", "学习中" or "复习/学习".
  virtual void setReviewTitle(const std::string& /*title*/) {}
  // Tab badges ("" for none) and the application icon's badge number.
  virtual void setReviewBadge(const std::string& /*badge*/) {}
  virtual void setWordBookBadge(const std::string& /*badge*/) {}
  virtual void setIconBadge(int /*count*/) {}

  // The controls for the queue's state (the queue sets its card state first).
  virtual void updateControl() {}
  // The card shows the word on screen and the phonetics button its phonetics.
  virtual void refreshWordView() {}
  // The delete button for the word on screen, shown only for a word never tested.
  virtual void deleteBtn_isShow() {}
  // The hint under the card: 1 after the reveal, 2 while the pending answer can be changed,
  // 3 none.
  virtual void changeRemindLabel(int /*kind*/) {}
  // The reveal: hide the show button and the word strip, show answer buttons 2 to 4, hide the
  // up and down buttons, show the card.
  virtual void showAnswerButtons() {}
  // The card adopts the word's excellent mnemonic by itself ("autoAccept" is on).
  virtual void autoAcceptFun() {}
  // Hide the four answer buttons and show the return button (an answer given while browsing).
  virtual void showReturnButton() {}

  // A standard alert without a delegate.
  virtual void showAlert(const std::string& /*title*/, const std::string& /*message*/,
                         const std::string& /*button*/) {}
  // The transient message view (a failed save).
  virtual void showMessage(const std::string& /*text*/) {}
};
