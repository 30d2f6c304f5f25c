// The screens of other parts of the app that the review screen opens, reached through replaceable
// makers so that those parts put in their own without touching it: today's reviewed words, the
// daily lesson, the first-start picture guide and the daily sign-in. Today's review, the lesson
// and the sign-in are this folder's own and serve unless replaced; the guide has a plain stand-in.
#pragma once

#include <functional>
#include <memory>

#include "platform/view/ViewController.h"

namespace ReviewScreens {

using ScreenMaker = std::function<std::shared_ptr<plat::ViewController>()>;
using Action = std::function<void(plat::ViewController& reviewScreen)>;

// Installing an empty function puts the stand-in back.
void setTodayReviewMaker(ScreenMaker maker);
void setDailyLessonMaker(ScreenMaker maker);
void setHelpGuideMaker(ScreenMaker maker);
void setSignIn(Action action);

// "今日已复习单词": today's reviewed words.
std::shared_ptr<plat::ViewController> makeTodayReview();
// "每日课堂": the daily lesson.
std::shared_ptr<plat::ViewController> makeDailyLesson();
// The guide shown modally while "run_machine" is "0"; the stand-in's one button stores "1".
std::shared_ptr<plat::ViewController> makeHelpGuide();
// The daily sign-in on the server.
void signIn(plat::ViewController& reviewScreen);

}  // namespace ReviewScreens
