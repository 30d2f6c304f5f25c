#include "learn/WordCardPages.h"

#include <cstdlib>

#include "learn/TextTemplate.h"
#include "learn/WordForms.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/DateFormat.h"
#include "ui/MakerWebSite.h"
#include "util/MyExtensions.h"

namespace WordCardPages {
namespace {

using TextTemplate::fill;
using TextTemplate::replaceAll;

constexpr const char* kNoExamples = "<span style = \"color:#686868\">%@</span>";
constexpr const char* kTranslation = "<span style = \"font-size:15px;color:#686868\">%@</span>";
constexpr const char* kExample = "<div style = \"font-size:16px\">%@</div>";
constexpr const char* kMeaningHeader14 =
    "<div style = \"font-size:14px;color:#000;background:#ccc;width:auto;\">%@</div>";
constexpr const char* kMeaningHeader15 =
    "<div style = \"font-size:15px;color:#000;background:#ccc;width:auto;\">%@</div>";
constexpr const char* kBody = "<body style=\"font-size:15px\">%@</body>";
constexpr const char* kNeverAnswered = "<span style=\"color:#686868\">%@</span>";
constexpr const char* kAnswerCounts =
    "<div style=\"float:left;padding:2px 15px\">%@%i</div>"
    "<div style=\"float:left;padding:2px 15px\">%@%i</div>"
    "<div style=\"float:left;padding:2px 15px\">%@%i</div>"
    "<div style=\"float:left;padding:2px 15px\">%@%i</div>"
    "<br/><p style=\"clear:both;font-size:12px;color:#686868\">%@</p>";
constexpr const char* kEdited =
    "<div style = 'font-size:15px;color:#333'>该单词由<b><u>%@</u></b>于%@重新编辑整理</div><br/>";
constexpr const char* kNotEdited =
    "<div style = 'font-size:15px;color:#686868'>该单词暂未被学员重新编辑<br/></div>";
constexpr const char* kCreditLine =
    "<div style='font-size:14px;color:#686868'>登录%@参与词汇编辑活动</div>";
constexpr const char* kNothing = "<div style = 'font-size:15px;color:#686868'>无<br/></div>";
constexpr const char* kSynonyms = "<span style=\"font-size:15px;color:#399c66\">近义词：</span>%@";
constexpr const char* kAntonyms = "<span style=\"font-size:15px;color:#399c66\">反义词：</span>%@";
constexpr const char* kDerived =
    "<span style=\"font-size:15px;color:#399c66\">同源/派生词：</span>%@";
constexpr const char* kSimilar = "<span style=\"font-size:15px;color:#399c66\">形近词：</span>%@";
constexpr const char* kOwnMnemonic =
    "<span style=\"font-size:15px;color:#399c66\">我的助记：</span>%@";
constexpr const char* kNoMnemonic =
    "<span style=\"font-size:15px;color:#686868\">无助记，点击上方按钮进行编辑或采纳</span>";
constexpr const char* kOwnGrammar =
    "<span style=\"font-size:15px;color:#399c66\">我的语法：</span>%@";
constexpr const char* kNoGrammar =
    "<span style=\"font-size:15px;color:#686868\">无语法，点击上方按钮进行编辑或采纳</span>";
constexpr const char* kAdopted = "<span style=\"font-size:15px;color:#399c66\">我的采纳：</span>%@";

// One example: the sentence on its own line, then the translation, in the layout without
// meaning headers (A) or under a header (B). The open word data has no Chinese for many
// examples: those show the sentence alone, without an empty line where the translation would be.
std::string exampleWithoutHeader(const std::string& sentence, const std::string& translation,
                                 bool last) {
  const std::string translated =
      translation.empty() ? "" : fill(kTranslation, {translation}) + "<br/>";
  return fill(kExample, {"\n" + sentence + "\n<br/>" + translated + (last ? "" : "<br/>")});
}

std::string exampleUnderHeader(const std::string& sentence, const std::string& translation,
                               bool last) {
  const std::string translated =
      translation.empty() ? "" : "\n " + fill(kTranslation, {translation});
  return fill(kExample, {sentence + translated + (last ? "" : "<br/>")});
}

// The two lines of a section that pairs two lists, or the one line that has a text, or E.
std::string pairedLines(const char* firstTemplate, const std::vector<std::string>& first,
                        const char* secondTemplate, const std::vector<std::string>& second,
                        const char* separator) {
  if (!first.empty() && !second.empty())
    return fill(firstTemplate, {first.front()}) + separator +
           fill(secondTemplate, {second.front()});
  if (!first.empty()) return fill(firstTemplate, {first.front()});
  if (!second.empty()) return fill(secondTemplate, {second.front()});
  return kNothing;
}

std::string notePage(const WordNoteTexts& texts, const char* ownTemplate, const char* noneText) {
  const std::string own = MyExtensions::turnHtml(texts.own);
  const std::string adopted = MyExtensions::turnHtml(texts.adopted);
  std::string body;
  if (!own.empty())
    body += fill(ownTemplate, {own});
  else if (adopted.empty())
    body += noneText;
  if (!adopted.empty()) {
    if (!body.empty()) body += "<br/>";
    body += fill(kAdopted, {adopted});
  }
  return fill(kBody, {body});
}

}  // namespace

std::string examplesPage(const WordCardContent& content, const std::vector<std::string>& forms) {
  const auto& examples = content.examples;
  const std::string none = fill(kNoExamples, {plat::localized("word_mgr5")});
  if (content.meanings.empty() || examples.empty()) return none;

  const bool layoutA = content.word.find('[') == std::string::npos && content.editors.empty();
  const bool layoutB1 = !layoutA && content.word.find(']') != std::string::npos;
  std::string page;
  for (size_t m = 0; m < content.meanings.size(); ++m) {
    const WordMeaning& meaning = content.meanings[m];
    if (layoutB1 && m > 0) page += "<br/>";
    bool headerDone = false;
    for (size_t e = 0; e < examples.size(); ++e) {
      if (examples[e].meaningId != meaning.meaningId) continue;
      const bool last = e + 1 == examples.size();
      const std::string sentence = WordForms::highlightForms(examples[e].sentence, forms);
      if (!layoutA && !headerDone) {
        const std::string header = replaceAll(meaning.text, "\n", " ");
        page += fill(layoutB1 ? kMeaningHeader14 : kMeaningHeader15, {header});
        headerDone = true;
      }
      page += layoutB1 ? exampleUnderHeader(sentence, examples[e].translation, last)
                       : exampleWithoutHeader(sentence, examples[e].translation, last);
    }
  }
  return page.empty() ? none : page;
}

std::string studyInfoPage(const std::optional<WordAnswerCounts>& counts) {
  if (!counts) return "";
  const auto& [know, fuzzy, forget] = *counts;
  if (know == 0 && fuzzy == 0 && forget == 0)
    return fill(kBody, {fill(kNeverAnswered, {plat::localized("word_mgr4")})});
  const long long total = static_cast<long long>(know) + fuzzy + forget;
  return fill(kBody, {fill(kAnswerCounts, {plat::localized("word_mgr6"), std::to_string(total),
                                           plat::localized("word_mgr1"), std::to_string(know),
                                           plat::localized("word_mgr2"), std::to_string(fuzzy),
                                           plat::localized("word_mgr3"), std::to_string(forget),
                                           plat::localized("word_mgr11")})});
}

std::string editorPage(const std::vector<std::string>& editors) {
  // With no web site configured there is nowhere to edit words: the line is left out.
  const std::string site = MakerWebSite::address();
  const std::string credit = site.empty() ? "" : fill(kCreditLine, {MyExtensions::turnHtml(site)});
  if (editors.empty()) return std::string(kNotEdited) + "\n" + credit;
  // "<seconds> <name>": the name keeps the space in front of it. An entry without a space is
  // taken as a name without a date.
  const std::string& entry = editors.front();
  const size_t space = entry.find(' ');
  std::string name = entry;
  std::string date;
  if (space != std::string::npos) {
    name = entry.substr(space);
    date = computationTime(entry.substr(0, space));
  }
  return fill(kEdited, {MyExtensions::turnHtml(name), MyExtensions::turnHtml(date)}) + credit;
}

std::string englishMeaningPage(const std::vector<std::string>& englishMeanings) {
  if (englishMeanings.empty()) return kNothing;
  return replaceAll(replaceAll(englishMeanings.front(), "\\n", "<br/><br/>"), "\n", "<br/>");
}

std::string jinfanPage(const std::vector<std::string>& antonyms,
                       const std::vector<std::string>& synonyms) {
  return pairedLines(kSynonyms, synonyms, kAntonyms, antonyms, "<br/>");
}

std::string phrasesPage(const std::vector<std::string>& phrases) {
  return phrases.empty() ? std::string(kNothing) : phrases.front();
}

std::string otherWordsPage(const std::vector<std::string>& paronyms,
                           const std::vector<std::string>& similar) {
  return pairedLines(kDerived, paronyms, kSimilar, similar, "<br>");
}

std::string mnemonicPage(const WordNoteTexts& texts) {
  return notePage(texts, kOwnMnemonic, kNoMnemonic);
}

std::string grammarPage(const WordNoteTexts& texts) {
  return notePage(texts, kOwnGrammar, kNoGrammar);
}

std::string computationTime(const std::string& seconds) {
  const double unixTime = static_cast<double>(std::strtoll(seconds.c_str(), nullptr, 10));
  return plat::DateFormat("yyyy年MM月dd日", plat::Clock::current().zone()).format(unixTime);
}

}  // namespace WordCardPages
