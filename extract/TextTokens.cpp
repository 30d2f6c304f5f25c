#include "extract/TextTokens.h"

#include <array>

#include "extract/Accents.h"
#include "extract/ClosedLists.h"
#include "extract/Contractions.h"
#include "extract/InflectionRules.h"
#include "platform/base/Utf.h"

namespace {

// Folds the case bit away, so that one comparison covers both ranges.
bool isLetter(unsigned char c) {
  return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}

// No byte of a multi-byte character is ASCII, so the text is cut as it stands, undecoded.
bool staysInToken(unsigned char c) {
  return isLetter(c) || c == '_' || c == '.';
}

// The marks a capitalised spelling is looked up for as the tokens come.
constexpr ClosedLists::Marks kCapitalMarks =
    ClosedLists::kTitle | ClosedLists::kAbbreviatedTitle | ClosedLists::kGreeting;

// The most words of a greeting, its own among them: "Dear Sir or Madam,", "Dear Mr and Mrs Wang,".
constexpr size_t kGreetingWords = 5;

// An accented letter is part of a word ("café", "naïve"), and so is an accent typed apart from
// its letter, which follows one.
bool isPartOfWord(char32_t point, bool inWord) {
  const std::optional<std::string_view> letters = accents::plainLettersOf(point);
  return letters && (inWord || !letters->empty());
}

// Whether a token ends in a letter, plain or accented, rather than a dot or an underscore.
bool tokenEndsInLetter(std::string_view raw) {
  const auto c = static_cast<unsigned char>(raw.back());
  return isLetter(c) || c >= 0x80;
}

// Whether `text`, which ends in a byte outside ASCII, ends in an accented letter ("café" before
// "'s"); asked seldom, and kept out of the tokens' way.
[[gnu::noinline]] bool endsInAccentedLetter(std::string_view text) {
  size_t from = text.size() - 1;  // back over the character's continuation bytes
  while (from > 0 && text.size() - from < 4 &&
         (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80)
    --from;
  size_t pos = from;
  const char32_t point = plat::utf::decodeNext(text, pos);
  return pos == text.size() && isPartOfWord(point, true);
}

// Whether `text` ends in a letter, plain or accented.
bool endsInLetter(std::string_view text) {
  const auto last = static_cast<unsigned char>(text.back());
  return last < 0x80 ? isLetter(last) : endsInAccentedLetter(text);
}

bool isReportStep(size_t k) {
  return k % 50 == 1;
}

constexpr std::string_view kRightQuote = "\u2019";  // typed for an apostrophe as often as "'"

// The length of the apostrophe that ends `before`, or 0.
size_t apostropheEnding(std::string_view before) {
  if (!before.empty() && before.back() == '\'') return 1;
  if (before.size() >= kRightQuote.size() &&
      before.substr(before.size() - kRightQuote.size()) == kRightQuote)
    return kRightQuote.size();
  return 0;
}

// The length of the apostrophe that begins `after`, or 0.
size_t apostropheBeginning(std::string_view after) {
  if (!after.empty() && after.front() == '\'') return 1;
  return after.substr(0, kRightQuote.size()) == kRightQuote ? kRightQuote.size() : 0;
}

// Whether "'t" or "’t" stands at the start of `after`, as the end of a word ("didn't").
bool beginsNot(std::string_view after) {
  const size_t quote = apostropheBeginning(after);
  if (quote == 0 || after.size() <= quote || (after[quote] != 't' && after[quote] != 'T'))
    return false;
  return after.size() == quote + 1 || !isLetter(static_cast<unsigned char>(after[quote + 1]));
}

bool endsInN(std::string_view word) {
  return !word.empty() && (word.back() == 'n' || word.back() == 'N');
}

constexpr bool isOpeningQuote(uint32_t point) {
  switch (point) {
    case '"':
    case '\'':
    case 0x201C:  // “
    case 0x2018:  // ‘
    case 0x201E:  // „
    case 0x201A:  // ‚
    case 0x00AB:  // «
    case 0x00BB:  // », which opens where « closes
    case 0x2039:  // ‹
    case 0x203A:  // ›
    case 0xFF02:  // ＂
    case 0x300C:  // 「
    case 0x300E:  // 『
      return true;
    default:
      return false;
  }
}

// A mark that begins a list's line ("- ", "* ", "• ", "1) "). Digits and an opening bracket
// before it leave the line's start as it is ("(1)").
constexpr bool isListMark(char32_t point) {
  switch (point) {
    case '-':
    case '*':
    case '+':
    case '#':
    case '>':
    case ')':
    case 0x00B7:  // ·
    case 0x2013:  // –
    case 0x2014:  // —
    case 0x2022:  // •
    case 0x2023:  // ‣
    case 0x25AA:  // ▪
    case 0x25CF:  // ●
    case 0x25E6:  // ◦
    case 0x25A0:  // ■
    case 0x25BA:  // ►
      return true;
    default:
      return false;
  }
}

constexpr bool keepsLineStart(char32_t point) {
  return (point >= '0' && point <= '9') || point == '(';
}

// What a character between words says, as bits.
enum MarkClass : uint8_t {
  kEndsSentence = 1 << 0,    // ! ? 。！？
  kComma = 1 << 1,           // , ，
  kColon = 1 << 2,           // : ：
  kDigit = 1 << 3,           // 0-9
  kListMark = 1 << 4,        // isListMark
  kKeepsLineStart = 1 << 5,  // keepsLineStart
  kOpeningQuote = 1 << 6,    // isOpeningQuote
};

constexpr uint8_t markClassOf(char32_t point) {
  const bool endsSentence =
      point == '!' || point == '?' || point == 0x3002 || point == 0xFF01 || point == 0xFF1F;
  return (endsSentence ? kEndsSentence : 0) | (point == ',' || point == 0xFF0C ? kComma : 0) |
         (point == ':' || point == 0xFF1A ? kColon : 0) |
         (point >= '0' && point <= '9' ? kDigit : 0) | (isListMark(point) ? kListMark : 0) |
         (keepsLineStart(point) ? kKeepsLineStart : 0) |
         (isOpeningQuote(point) ? kOpeningQuote : 0);
}

// The classes of the ASCII marks, which nearly every mark is, looked up rather than compared.
constexpr std::array<uint8_t, 0x80> kAsciiMarkClasses = [] {
  std::array<uint8_t, 0x80> classes{};
  for (char32_t point = 0; point < 0x80; ++point) classes[point] = markClassOf(point);
  return classes;
}();

// Whether the quote mark at `pos` opens a quotation: no word stands right before it, and one
// right after it ("He said, "May we start?"", not the apostrophe of "the boys' room").
bool opensQuotation(std::string_view text, size_t pos, size_t after) {
  const bool wordBefore = pos > 0 && (isLetter(static_cast<unsigned char>(text[pos - 1])) ||
                                      (text[pos - 1] >= '0' && text[pos - 1] <= '9'));
  return !wordBefore && after < text.size() && isLetter(static_cast<unsigned char>(text[after]));
}

// "Brook", "Every"; not "I", "TV" or "the".
bool isCapitalised(std::string_view word) {
  return word.size() >= 2 && word[0] >= 'A' && word[0] <= 'Z' && word[1] >= 'a' && word[1] <= 'z';
}

// A word that starts sentences and names no one: after a title's stop ("at the Dr. The nurse")
// it begins the next sentence.
bool isNoName(std::string_view word) {
  return ClosedLists::ofIgnoringCase(word) & ClosedLists::kNoName;
}

}  // namespace

void TextTokens::run(std::string_view text) {
  // Sized for the distinct words of a text of this length, so that a long text does not make
  // the table grow a dozen times, yet small enough to stay in the cache.
  distinct_ = WordTable(text.size() / 32);
  capitalMarks_.clear();
  capitalMarks_.reserve(text.size() / 32);
  lineStarts_.reserve(text.size() / 64);
  lineStarts_.push_back(0);
  tokens_.reserve(text.size() / 5);
  size_t units = 0;  // the UTF-16 index of `pos`, which progress is reported in
  size_t total = 0;  // counted only when first needed: it takes a pass of its own
  size_t start = std::string_view::npos;
  const auto endToken = [&](size_t pos) {
    if (start == std::string_view::npos) return;
    take(text, start, pos);
    start = std::string_view::npos;
    ++ended_;
    if (onEnded_ && isReportStep(ended_)) {
      if (total == 0) total = plat::utf::utf16Length(text);
      onEnded_(units, total);
    }
  };
  for (size_t pos = 0; pos < text.size();) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c == '.' && pos + 1 < text.size() && text[pos + 1] == '.') {
      endToken(pos);  // an ellipsis parts words, and ends no sentence
      for (; pos < text.size() && text[pos] == '.'; ++pos) ++units;
      onlySpaces_ = false;
      continue;
    }
    if (staysInToken(c)) {
      if (start == std::string_view::npos) start = pos;
      // The letters that follow go in one tight step: no letter ends a token or starts an
      // ellipsis, and each is one UTF-16 unit.
      const size_t from = pos;
      do ++pos;
      while (pos < text.size() && isLetter(static_cast<unsigned char>(text[pos])));
      units += pos - from;
      continue;
    }
    // An accented letter goes on the word, or begins one.
    char32_t point = 0;
    size_t next = pos;
    if (c >= 0x80) {
      point = plat::utf::decodeNext(text, next);
      if (isPartOfWord(point, start != std::string_view::npos)) {
        holdsAccents_ = true;
        if (start == std::string_view::npos) start = pos;
        pos = next, ++units;
        continue;
      }
    }
    endToken(pos);
    const size_t mark = pos;
    if (c < 0x80) {
      ++pos, ++units;
      if (c == ' ' || c == '\t' || c == '\r') continue;
      if (c == '\n') {
        if (++lineBreaks_ >= 2) sentenceEnded_ = true;  // a paragraph's end
        startLine();
        continue;
      }
      const uint8_t classes = kAsciiMarkClasses[c];
      readMark(classes, (classes & kOpeningQuote) && opensQuotation(text, mark, pos));
    } else {
      pos = next;
      const uint8_t classes = markClassOf(point);
      readMark(classes, (classes & kOpeningQuote) && opensQuotation(text, mark, pos));
      units += point >= 0x10000 ? 2 : 1;
    }
  }
  if (start != std::string_view::npos) take(text, start, text.size());
  if (afterWordMarks_ != 0) readMarksAfterWord();  // "Opening day: May 3"
}

// Any character between words but a space or a line break.
void TextTokens::readMark(uint8_t classes, bool opensQuotation) {
  // A number counts right after a word, a colon wherever it comes before the next.
  afterWordMarks_ |= classes & (onlySpaces_ ? kDigit | kColon : kColon);
  onlySpaces_ = false;
  if ((classes & kEndsSentence) || opensQuotation) sentenceEnded_ = true;
  if ((classes & kComma) && endsAGreeting()) sentenceEnded_ = true;
  afterColon_ = classes & kColon;
  // Still at the line's start while no word has come since its break.
  if (lineStart_ && (classes & kListMark) && tokens_.size() == lineStarts_.back())
    listMark_ = true;
  else if (!(classes & kKeepsLineStart))
    lineStart_ = false;
  marksPending_ = listMark_ || afterWordMarks_ != 0;  // a colon's among them
}

// The word before a number or a colon, which the next word's marks or the text's end find: few
// characters are either.
void TextTokens::readMarksAfterWord() {
  if (!tokens_.empty()) {
    const auto last = static_cast<uint32_t>(tokens_.size() - 1);
    if (afterWordMarks_ & kDigit) beforeNumbers_.push_back(last);
    if (afterWordMarks_ & kColon) beforeColons_.push_back(last);
  }
  afterWordMarks_ = 0;
}

void TextTokens::startLine() {
  const auto next = static_cast<uint32_t>(tokens_.size());
  if (lineStarts_.back() != next) lineStarts_.push_back(next);
  lineStart_ = true;
  listMark_ = false;
}

// "Dear Tom, May I ...": a comma ends the greeting that starts its line within a few words, and
// the sentence with it.
bool TextTokens::endsAGreeting() const {
  const size_t first = lineStarts_.back();
  return first < tokens_.size() && tokens_.size() - first <= kGreetingWords &&
         (capitalMarks_[tokens_[first].distinct] & ClosedLists::kGreeting);
}

void TextTokens::take(std::string_view text, size_t start, size_t end) {
  const std::string_view raw = text.substr(start, end - start);
  const bool plain = isLetter(static_cast<unsigned char>(raw.front())) &&
                     isLetter(static_cast<unsigned char>(raw.back()));
  std::string_view word = plain ? raw : inflection::trimmed(raw);
  if (word.empty()) {  // dots and underscores alone: a full stop set apart, or a rule
    if (raw.find('.') != std::string_view::npos) sentenceEnded_ = true;
    onlySpaces_ = false;
    return;
  }
  const std::string_view written = word;
  const size_t quote = apostropheEnding(text.substr(0, start));
  if (quote > 0 && start > quote && endsInLetter(text.substr(0, start - quote))) {
    word = contraction::afterApostrophe(word);
  } else if (endsInN(word) && word.end() == raw.end() && beginsNot(text.substr(end))) {
    word = contraction::verbBeforeNot(word);
  } else {
    word = contraction::unfused(word);
  }
  if (word.empty()) {                    // a part that stands for no verb of its own ("t", "s")
    sentenceEnded_ = raw.back() == '.';  // "We won't. May we go?"
    afterApostropheS_ = raw == "s" || raw == "S";
    onlySpaces_ = afterApostropheS_;
    afterTitle_ = false;
    titleStop_ = TitleStop::kNone;
    return;
  }
  const bool asWritten = word.data() == written.data() && word.size() == written.size();
  const uint32_t distinct = add(asWritten ? raw : word);
  const bool stop = raw.back() == '.';
  // "Aunt." is a word, whose stop is a full stop; an initial after a title ("Mrs J. Rose") is
  // read as one more title.
  const bool initial = afterTitle_ && written.size() == 1 && written[0] >= 'A' && written[0] <= 'Z';
  // The marks of a spelling taken as written were read when it first came; a verb before "n't"
  // ("didn" read as "did") is looked up as written.
  const ClosedLists::Marks marks = asWritten                       ? capitalMarks_[distinct]
                                   : word.data() == written.data() ? ClosedLists::of(written)
                                                                   : 0;
  const bool title =
      word.data() == written.data() &&
      (((marks & ClosedLists::kTitle) && (!stop || (marks & ClosedLists::kAbbreviatedTitle))) ||
       initial);
  sentenceEnded_ = stop && !title;
  onlySpaces_ = plain || tokenEndsInLetter(raw) || title;
  afterTitle_ = title;
  titleStop_ = title && stop ? (leadsToNoName(written) ? TitleStop::kNoName : TitleStop::kTitles)
                             : TitleStop::kNone;
  afterApostropheS_ = false;
  lineBreaks_ = 0;
}

// A list's line, and a capital after a colon ("Q: Can you ...?"), start sentences.
[[gnu::noinline]] void TextTokens::readPendingMarks(std::string_view spelling) {
  const bool lowerCase = spelling.front() >= 'a' && spelling.front() <= 'z';
  if (listMark_ || (afterColon_ && !lowerCase)) sentenceEnded_ = true;
  if (afterColon_ && !lowerCase) colonStarts_.push_back(static_cast<uint32_t>(tokens_.size()));
  if (afterWordMarks_ != 0) readMarksAfterWord();
  lineStart_ = listMark_ = afterColon_ = marksPending_ = false;
}

// "Elm St.", "Park Dr.": after a capitalised word inside the sentence, St. and Dr. end the name of
// a street. "the Dr.", "our Dr.": after a determiner a title but St is a noun. Asked at a title's
// stop only, which few spellings reach.
bool TextTokens::leadsToNoName(std::string_view title) const {
  const size_t n = tokens_.size();
  if (n < 2 || !tokens_[n - 1].followsWord) return false;
  const std::string_view before = distinct_.words()[tokens_[n - 2].distinct];
  // "the St. Mark Hotel" names a saint.
  if (title != "St" && (ClosedLists::ofIgnoringCase(before) & ClosedLists::kDeterminer))
    return true;
  if (title != "St" && title != "Dr") return false;
  return !tokens_[n - 2].startsSentence && isCapitalised(before);
}

bool TextTokens::writesInLowerCase(std::string_view spelling) const {
  std::string lower = plat::utf::asciiLowercase(inflection::trimmed(spelling));
  if (distinct_.find(lower) != WordTable::kAbsent) return true;
  lower += '.';
  return distinct_.find(lower) != WordTable::kAbsent;
}

inline uint32_t TextTokens::add(std::string_view spelling) {
  TextToken token;
  bool added;
  token.distinct = distinct_.insert(spelling, added);
  // Titles and greetings are written with a capital: a spelling in lower case is spared the
  // lookup.
  if (added)
    capitalMarks_.push_back(spelling.front() >= 'a' && spelling.front() <= 'z'
                                ? 0
                                : ClosedLists::of(inflection::trimmed(spelling)) & kCapitalMarks);
  if (marksPending_) readPendingMarks(spelling);
  // A title's stop ends a sentence where the capital after it names no one: "Mrs. White", but
  // "on Elm St. Every morning", "at the Dr. Nurses came" and "call Dr. Somebody is hurt".
  if (titleStop_ != TitleStop::kNone && onlySpaces_ && isCapitalised(spelling) &&
      (titleStop_ == TitleStop::kNoName || isNoName(inflection::trimmed(spelling))))
    sentenceEnded_ = true;
  token.startsSentence = sentenceEnded_;
  const bool follows = onlySpaces_ && !sentenceEnded_ && !tokens_.empty();
  token.followsWord = follows && !afterApostropheS_;
  token.followsTitle = token.followsWord && afterTitle_;
  token.followsPossessive = follows && afterApostropheS_;
  tokens_.push_back(token);
  return token.distinct;
}
