// How much of each text a client sends the stand-in keeps at most. Every table is written whole
// after every request, so one value without a bound would be rewritten with every request of
// everyone. Each bound lies far above what the app itself ever sends in that field; a request
// over one is refused and leaves nothing behind.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>

#include "server/Form.h"

namespace standin {

// A form field with the learner's name for it and its longest value in characters.
struct FieldBound {
  const char* field;
  const char* what;
  size_t characters;
};

// The longest account name a registration takes: room for an e-mail address or a name in
// Chinese, while every file and line that names the account stays short.
inline constexpr size_t kLongestAccountName = 64;

// A referral id is an account's number as the server gave it, typed by the learner.
inline constexpr FieldBound kReferralId{"popularize_id", "推荐人编号", 64};
// The note editor stops at 150 (mnemonic) and 280 (grammar note) UTF-16 units.
inline constexpr FieldBound kMnemonicText{"mnemonic", "助记", 1000};
inline constexpr FieldBound kGrammarNoteText{"yufa", "语法", 1000};
// The feedback box has no limit of its own: this is a long letter.
inline constexpr FieldBound kFeedbackText{"content", "反馈内容", 10000};
// A device model followed by its system's version.
inline constexpr FieldBound kSystemInfo{"system_info", "系统信息", 256};
inline constexpr FieldBound kLexiconVersion{"v_lexicon", "词库版本号", 64};
inline constexpr FieldBound kClientVersion{"v_client", "客户端版本号", 64};

// The largest backup (the dump text, unzipped) an account keeps, in bytes. Every word of the
// library studied, with a note of a few hundred characters on each, is about 15 MB.
inline constexpr size_t kLargestBackupMiB = 32;
inline constexpr size_t kLargestBackup = kLargestBackupMiB * 1024 * 1024;
std::string backupTooLargeMessage();

// Whether `text` has more than `characters` UTF-8 characters. A character has one lead byte and
// at most three more; bytes that make no character count as they come, so no value passes by
// being no text.
bool longerThan(const std::string& text, size_t characters);

// The refusal of the first field of `bounds` that the form holds over its bound, as
// "<what>太长，最多<N>个字符"; nothing when all are within them.
std::optional<std::string> refusalOverBounds(const Form& form,
                                             std::initializer_list<FieldBound> bounds);

}  // namespace standin
