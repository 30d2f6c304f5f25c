// The study-store side of the stubborn-word reminders: choosing the words to name and the records
// (table remind_words) that keep a word from being named twice on one day.
#pragma once

#include <cstdint>

#include "platform/base/Value.h"

class CallDB;

namespace RemindersStore {

// Up to three random stubborn words (last three grades all "forgot") without a record, as rows
// [word id, notification text "[顽固词]<display form>\n<meanings, one per line>"]. The store's
// current word is left as it was.
plat::Value GetRandomForgetWordInfo(CallDB& db);

// Records that the reminder firing at `runTime` (a stored time) names the word.
void insertRemindWord(CallDB& db, int wordId, int64_t runTime);

// Forgets the records of reminders still pending and of those that fired before today's calendar
// day; the ones that fired earlier today stay, so a word is named at most once a day.
void clearRemindWords(CallDB& db);

}  // namespace RemindersStore
