// Whole texts a learner meets and pastes (two local news pages, a story told in several kinds of
// quotes, a program's guide, a dialogue with speakers' labels, a letter, a how-to in numbered
// steps), each beside the headwords extraction gives for it, read and approved word by word
// (texts/*.headwords; ApprovedHeadwords.h has the format). A change of extraction or of the
// word data that changes what a text gives fails here until the list is read again.
//
// VOCAB_REWRITE_HEADWORDS=1 rewrites each list from what extraction gives now, keeping the
// reader's marks and notes of the words that stay, for reading with git diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_set>

#include "tests/tools/ApprovedHeadwords.h"
#include "tests/tools/ShippedStore.h"

namespace toolstest {
namespace {

using Words = std::vector<std::string>;

const std::string kTexts = VOCAB_SOURCE_DIR "/tests/tools/texts/";

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The words of `from` that `to` lacks, each with its mark where it has one.
std::string missingFrom(const Words& from, const Words& to, const ApprovedHeadwords& list) {
  const std::unordered_set<std::string> kept(to.begin(), to.end());
  std::string missing;
  for (const std::string& word : from) {
    if (kept.count(word)) continue;
    const std::string mark = list.markOf(word);
    missing += "  " + word + (mark.empty() ? "" : "  (" + mark + ")") + "\n";
  }
  return missing.empty() ? "  none\n" : missing;
}

class ApprovedTextsTest : public ShippedStoreTest {
 protected:
  static void expectApproved(const std::string& name) {
    const std::string listPath = kTexts + name + ".headwords";
    const Words given = extract(fileText(kTexts + name + ".txt"));
    ASSERT_FALSE(given.empty()) << name;
    const ApprovedHeadwords approved = ApprovedHeadwords::read(listPath);
    const Words listed = approved.headwords();
    if (given == listed) return;

    if (std::getenv("VOCAB_REWRITE_HEADWORDS")) {
      approved.rewrittenFor(given).write(listPath);
      std::cout << "rewrote " << listPath << ": read the change with git diff\n";
      return;
    }
    ADD_FAILURE() << name << ".txt no longer gives its approved headwords.\nGained:\n"
                  << missingFrom(given, listed, approved) << "Lost:\n"
                  << missingFrom(listed, given, approved)
                  << "(where both say none, only the order changed)\n"
                  << "Read the list again word by word against the text (VOCAB_REWRITE_HEADWORDS=1 "
                     "rewrites it from this output, keeping the marks), and explain the change in "
                     "the commit.";
  }
};

TEST_F(ApprovedTextsTest, ANewsPageWithHeadlinesAndNamesGivesItsApprovedHeadwords) {
  expectApproved("evening_post");
}

TEST_F(ApprovedTextsTest, AStoryInSeveralKindsOfQuotesGivesItsApprovedHeadwords) {
  expectApproved("tin_can_story");
}

TEST_F(ApprovedTextsTest, AProgramsGuideWithTitleCaseNamesGivesItsApprovedHeadwords) {
  expectApproved("kestrel_notes_guide");
}

// The shapes where every word is capitalised by its place, not because it names anyone: title-case
// headlines ("Renting in Northbay", "Lost Wallet Found Close to Station"), a list's lines, a
// capital after a colon, a speaker's label and a letter's greeting.
TEST_F(ApprovedTextsTest, ANewsPageWithTitleCaseHeadlinesAndAListGivesItsApprovedHeadwords) {
  expectApproved("northbay_gazette");
}

TEST_F(ApprovedTextsTest, ADialogueWithSpeakersLabelsGivesItsApprovedHeadwords) {
  expectApproved("language_cafe_dialogue");
}

TEST_F(ApprovedTextsTest, ALetterWithAGreetingAndASignOffGivesItsApprovedHeadwords) {
  expectApproved("letter_to_tom");
}

TEST_F(ApprovedTextsTest, AHowToInNumberedStepsWithColonsGivesItsApprovedHeadwords) {
  expectApproved("loose_tea_howto");
}

}  // namespace
}  // namespace toolstest
