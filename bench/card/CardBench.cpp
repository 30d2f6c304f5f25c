// Showing a word on the pushed word card (its content read from the shipped learn.db, the nine
// section pages loaded, measured and stacked, one frame of the card drawn) against laying out
// and drawing the same nine HTML pages through the HTML engine and cairo directly.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/support/BenchHome.h"
#include "bench/support/Ratio.h"
#include "learn/BaseWordViewController.h"
#include "learn/CardScreens.h"
#include "platform/draw/HtmlDocument.h"
#include "platform/draw/ImageContext.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/NavigationController.h"
#include "platform/view/ViewRenderer.h"
#include "platform/view/Window.h"
#include "store/CallDB.h"
#include "ui/BaseViewController.h"

namespace {

// The card shows these in turn, as a learner steps through a list.
const char* const kWords[] = {"achieve", "support"};
constexpr double kPageWidth = 300;

void prepareHome() {
  static const bool ready = [] {
    bench::temporaryHome();
    CardScreens::setPronouncer([](const std::string&, bool) {});
    return true;
  }();
  (void)ready;
}

class CardApp : public plat::ApplicationDelegate {
 public:
  std::shared_ptr<plat::Window> window;
  std::shared_ptr<plat::NavigationController> nav;
  std::shared_ptr<BaseWordViewController> card;

  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window = std::make_shared<plat::Window>();
    auto list = std::make_shared<BaseViewController>();
    nav = std::make_shared<plat::NavigationController>(list);
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    card = BaseWordViewController::initWithNibName("BaseWordViewController");
    card->setParentController(card.get());
    card->setParentName("单词列表");
    card->setWordName(kWords[0]);
    nav->pushViewController(card, false);
    return true;
  }
};

void BM_CardShow(benchmark::State& state) {
  prepareHome();
  auto app = std::make_shared<CardApp>();
  plat::HeadlessHost host(app);
  host.launch();
  CallDB::callDB()->UpdatePersonalValue_isNeed("autoAudio", "0");
  host.runUntilIdle();
  size_t next = 0;
  for (auto _ : state) {
    app->card->refreshView(kWords[next++ % 2]);
    host.runUntilIdle();
    std::shared_ptr<plat::Image> frame = plat::ViewRenderer::renderView(*app->card->view(), 2);
    if (!frame || app->card->webViewNum() > 0) state.SkipWithError("the card was not shown");
    benchmark::DoNotOptimize(frame);
  }
  CallDB::Release_CallDB();
}
BENCHMARK(BM_CardShow)->Unit(benchmark::kMicrosecond);

void BM_PagesThroughEngine(benchmark::State& state) {
  prepareHome();
  std::vector<std::string> pages[2];
  for (int word = 0; word < 2; ++word) {
    auto content = WordsMgr::initWords(kWords[word]);
    content->GetOtherMeaning();  // the forms the examples highlight
    for (int code = 1; code <= 9; ++code) pages[word].push_back(content->sectionPage(code));
  }
  CallDB::Release_CallDB();
  size_t next = 0;
  for (auto _ : state) {
    for (const std::string& html : pages[next++ % 2]) {
      plat::HtmlDocument document(html, "");
      const double height = document.layout(kPageWidth);
      plat::ImageContext picture({kPageWidth, std::max(height, 1.0)}, false, 2);
      document.draw(picture.context(), {0, 0}, {0, 0, kPageWidth, height});
      benchmark::DoNotOptimize(picture.image());
    }
  }
}
BENCHMARK(BM_PagesThroughEngine)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"card_show_vs_render", "BM_CardShow", "BM_PagesThroughEngine"}});
}
