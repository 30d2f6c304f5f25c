// Told when the mnemonic offer window (account/) goes away (the learner adopted or declined the
// offer). It lives here, below the window and the review screen that listens, so both may include
// it.
#pragma once

class AcceptUIWindowDeleage {
 public:
  virtual ~AcceptUIWindowDeleage() = default;
  virtual void closeAcceptUIWindow_callback() {}
};
