// A review screen that records what the queue does to it.
#pragma once

#include <string>
#include <vector>

#include "learn/ReviewQueueView.h"

struct RecordingReviewView : ReviewQueueView {
  struct Alert {
    std::string title, message, button;
  };

  void setWordTitle(const std::string& title) override { wordTitle = title; }
  void setReviewTitle(const std::string& title) override { reviewTitle = title; }
  void setReviewBadge(const std::string& badge) override { reviewBadge = badge; }
  void setWordBookBadge(const std::string& badge) override { wordBookBadge = badge; }
  void setIconBadge(int count) override { iconBadge = count; }
  void updateControl() override { ++controlUpdates; }
  void refreshWordView() override { ++wordViewRefreshes; }
  void changeRemindLabel(int kind) override { remindLabel = kind; }
  void showAnswerButtons() override { answerButtonsShown = true; }
  void autoAcceptFun() override { ++autoAccepts; }
  void showReturnButton() override { returnButtonShown = true; }
  void showAlert(const std::string& title, const std::string& message,
                 const std::string& button) override {
    alerts.push_back({title, message, button});
  }
  void showMessage(const std::string& text) override { messages.push_back(text); }

  std::string wordTitle, reviewTitle, reviewBadge, wordBookBadge;
  int iconBadge = -1;
  int controlUpdates = 0;
  int wordViewRefreshes = 0;
  int remindLabel = 0;
  int autoAccepts = 0;
  bool answerButtonsShown = false;
  bool returnButtonShown = false;
  std::vector<Alert> alerts;
  std::vector<std::string> messages;
};
