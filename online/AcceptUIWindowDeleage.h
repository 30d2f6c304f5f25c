// Told when the mnemonic offer window goes away (the learner adopted or declined the offer).
#pragma once

class AcceptUIWindowDeleage {
 public:
  virtual ~AcceptUIWindowDeleage() = default;
  virtual void closeAcceptUIWindow_callback() {}
};
