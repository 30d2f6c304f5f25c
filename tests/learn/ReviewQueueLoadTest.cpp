// Loading and rebuilding the queue, and the order of due and new words. Resuming from the mirror,
// the titles and the word shown are driven by the review screen's test.
#include <algorithm>
#include <set>

#include "platform/base/Bundle.h"
#include "tests/learn/ReviewQueueFixture.h"

namespace learntest {
namespace {

std::vector<std::string> sorted(std::vector<std::string> words) {
  std::sort(words.begin(), words.end());
  return words;
}

TEST_F(ReviewQueueTest, TheFirstAppearanceWaitsAndARebuildMirrorsTheDueWordsInQueueOrder) {
  for (const char* word : {"apple", "book", "cafe", "run"}) planDue(word);
  plan("happy", now() - 60);  // never tested
  queue_.firstInit();
  EXPECT_TRUE(queue_.ArrayReview().empty()) << "an empty mirror: no words looked for at first";
  EXPECT_EQ(queue_.currRemState(), ReviewQueue::kCardNothing);
  EXPECT_EQ(view_.controlUpdates, 1);

  queue_.reLoadReviewData();
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateReview);
  EXPECT_EQ(sorted(queueWords()), (std::vector<std::string>{"apple", "book", "cafe", "run"}));
  std::vector<MirrorRow> expected;
  for (const std::string& word : queueWords()) expected.push_back({word, 0, 0});
  EXPECT_EQ(mirror(), expected);
  EXPECT_EQ(view_.reviewBadge, "4");
  EXPECT_EQ(view_.iconBadge, 4);
  EXPECT_EQ(queue_.currRemState(), ReviewQueue::kCardHidden);
}

TEST_F(ReviewQueueTest, ARebuildOnANewStudyDayDropsThePendingAnswerAndLoadsTheDueWords) {
  load({"run", "cafe"});
  const std::string answered = queue_.reallyName();
  const StudyLog before = *logOf(answered);
  answer(kKnow);

  setLocalTime(2023, 11, 16, 3, 30);
  planDue("good");
  queue_.reLoadReviewData();
  EXPECT_EQ(*logOf(answered), before);
  EXPECT_FALSE(queue_.WaitSaveWord());
  EXPECT_TRUE(queue_.finishWords().empty());
  EXPECT_EQ(sorted(queueWords()), (std::vector<std::string>{"cafe", "good", "run"}));
  EXPECT_EQ(mirror().size(), 3u);
}

TEST_F(ReviewQueueTest, NewWordsFollowTheDueWordsAndThenTheScreenGoesIdle) {
  load({"apple"}, {"happy", "good"});
  ASSERT_EQ(queueWords(), (std::vector<std::string>{"apple"}));
  answer(kKnow);

  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateLearn);
  EXPECT_EQ(view_.reviewTitle, "学习中");
  ASSERT_EQ(view_.alerts.size(), 1u);
  EXPECT_EQ(view_.alerts[0].message, plat::localized("review_eg8"));
  EXPECT_EQ(sorted(queueWords()), (std::vector<std::string>{"good", "happy"}));
  for (const MirrorRow& row : mirror()) EXPECT_EQ(row.type, 1);
  EXPECT_EQ(view_.reviewBadge, "2");

  answer(kKnow);
  EXPECT_EQ(logOf("apple")->last, now());  // written at the next answer
  answer(kKnow);
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateIdle);
  EXPECT_EQ(view_.reviewTitle, "复习/学习");
  EXPECT_EQ(view_.reviewBadge, "");
  EXPECT_EQ(view_.iconBadge, 0);
  EXPECT_EQ(view_.wordTitle, "");
  const int toPlan = db_->getNeedLearnNum();
  EXPECT_GE(toPlan, 1);
  EXPECT_EQ(view_.wordBookBadge, std::to_string(toPlan));
  EXPECT_EQ(view_.alerts.size(), 1u);
}

TEST_F(ReviewQueueTest, TheDailyReviewCapHoldsBackDueWordsButNotTheNewOnes) {
  db_->UpdatePersonalValue_isNeed("ReviewLimitCount", "2");
  load({"apple", "book", "cafe"}, {"happy"});
  ASSERT_EQ(queueWords().size(), 2u);
  const std::vector<std::string> due = queueWords();

  answer(kKnow);
  answer(kKnow);
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateLearn);
  EXPECT_EQ(queueWords(), (std::vector<std::string>{"happy"}));
  queue_.changeViewState();
  for (const std::string& word : due) EXPECT_EQ(logOf(word)->last, now());

  // The day's cap is used up: a rebuild later the same day finds no due words.
  queue_.reLoadReviewData();
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateLearn);
  EXPECT_EQ(mirror(), (std::vector<MirrorRow>{{"happy", 1, 0}}));
}

TEST_F(ReviewQueueTest, ThePendingNewWordIsNotLoadedAgainWhenTheQueueRunsDry) {
  load({}, {"happy"});
  answer(kKnow);  // pending, so the store still lists it as never tested
  EXPECT_TRUE(queue_.ArrayReview().empty());
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateIdle);
  EXPECT_TRUE(mirror().empty());
  ASSERT_TRUE(queue_.WaitSaveWord());
  EXPECT_EQ(queue_.WaitSaveWord()->word, "happy");
}

TEST_F(ReviewQueueTest, ShuffleMixesTheMostOverdueThirtyOnlyAmongThemselves) {
  auto numbered = [](int n) {
    std::vector<std::string> words;
    for (int i = 0; i < n; ++i) words.push_back("w" + std::to_string(i));
    return words;
  };
  std::vector<std::string> words = numbered(31);
  queue_.upSetWords(words);
  EXPECT_EQ(words[30], "w30");
  EXPECT_EQ(sorted(words), sorted(numbered(31)));
  EXPECT_EQ(queueWords(), words);  // the queue receives the shuffled order

  std::vector<std::string> again = numbered(31);
  ReviewQueue other(view_);
  other.upSetWords(again);
  EXPECT_EQ(again, words);  // seeded from the clock's second

  std::vector<std::string> many = numbered(100);
  queue_.upSetWords(many);
  const std::vector<std::string> all = numbered(100);
  EXPECT_EQ(std::set<std::string>(many.begin(), many.begin() + 30),
            std::set<std::string>(all.begin(), all.begin() + 30));
  EXPECT_EQ(std::set<std::string>(many.begin() + 30, many.end()),
            std::set<std::string>(all.begin() + 30, all.end()));
  EXPECT_NE(many, all);

  std::vector<std::string> none;
  queue_.upSetWords(none);
  EXPECT_EQ(queue_.ArrayReview().size(), 131u);
}

}  // namespace
}  // namespace learntest
