// What the stand-in account server keeps: accounts with their backed-up study data and messages,
// shared mnemonics and grammar notes, excellent mnemonics, daily lessons and feedback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/SharedText.h"

namespace standin {

// The shared key of the app's check code and test-mode parameter.
inline constexpr const char* kClientKey = "a47f02c9e15d83b6f0e2c7d49b18a3e5";

struct Message {
  int64_t time = 0;  // seconds since 1970
  std::string text;
};

struct Account {
  std::string name;  // lower-cased
  std::string passwordMd5;
  int64_t popularizeId = 0;    // the account's own referral id
  std::string referredBy;      // the referral id given at registration
  int64_t lastSynId = 0;       // counts accepted uploads; 0: no backup
  int64_t lastSynTime = 0;     // seconds since 1970 of the last accepted upload
  std::string lastSynVersion;  // v_lexicon of the last full upload
  SharedText dump;             // the backed-up study data as dump text
  int signIns = 0;
  int logins = 0;
  std::vector<Message> messages;  // newest first
  int newMessages = 0;
  int64_t lastSignInDay = -1;  // server day (seconds since 1970 / 86400) of the last sign-in
  int signInStreak = 0;        // sign-ins on consecutive days up to the last one
  int signInBest = 0;          // the longest such run
};

// A shared mnemonic or grammar note.
struct Note {
  int64_t id = 0;
  int64_t wordId = 0;
  std::string text;
  std::string sharer;
  int64_t time = 0;
  int accepts = 0;
  bool good = false;
};

struct Excellent {
  int64_t emId = 0, wordId = 0, mnemonicId = 0, sortId = 0;
  std::string text, sharer;
};

struct Lesson {
  std::string sentence, translate, luckyWords, lottery;
  int64_t time = 0;
};

struct Feedback {
  std::string account;
  int type = 0;
  std::string content, systemInfo, vLexicon, vClient;
};

}  // namespace standin
