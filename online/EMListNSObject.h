// Keeps the device's copy of the excellent mnemonics (the special book's words) in step with the
// server: asks for the entries after the last one it has ("last_em_id") and stores what comes,
// with the new last id, in one transaction. Calls queue one behind the other.
#pragma once

#include "net/HttpRequest.h"
#include "online/AccountQueue.h"

class EMListNSObjectDeleage {
 public:
  virtual ~EMListNSObjectDeleage() = default;
  // A reply was stored (or its storing failed and was rolled back).
  virtual void GetEMList_finish_callback() {}
};

class EMListNSObject : public HttpRequestDelegate {
 public:
  void getExcellentMnemonic();

  EMListNSObjectDeleage* deleage() const { return deleage_; }
  void setDeleage(EMListNSObjectDeleage* delegate) { deleage_ = delegate; }

 private:
  void getMnemonicFinished(HttpRequest& request);

  AccountQueue networkQueue_;
  EMListNSObjectDeleage* deleage_ = nullptr;
};
