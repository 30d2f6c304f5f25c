// Uploads the learner's own mnemonic or grammar note of a word to the server, where other
// learners find it in their shared lists. One request at a time on its own queue; releasing the
// uploader cancels what is still queued, and its reply is dropped.
#pragma once

#include <string>

#include "net/HttpRequest.h"
#include "online/AccountQueue.h"

class HelpRememberDelegate {
 public:
  virtual ~HelpRememberDelegate() = default;
  // The server accepted the note.
  virtual void shareinfo_callback() {}
};

class HelpRemember : public HttpRequestDelegate {
 public:
  void shareNote(const std::string& word, const std::string& noteInfo);  // a mnemonic
  void shareWordYuFa(const std::string& word, const std::string& info);  // a grammar note

  HelpRememberDelegate* deleage() const { return deleage_; }
  void setDeleage(HelpRememberDelegate* delegate) { deleage_ = delegate; }
  HttpNetworkQueue& networkQueue() { return networkQueue_.queue(); }

 private:
  void share(bool yufa, const std::string& word, const std::string& text);
  void shareFinished(HttpRequest& request);
  void shareFailed(HttpRequest& request);

  AccountQueue networkQueue_;
  HelpRememberDelegate* deleage_ = nullptr;
};
