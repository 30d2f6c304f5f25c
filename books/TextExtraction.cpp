#include "books/TextExtraction.h"

#include <exception>
#include <thread>
#include <utility>

#include "extract/ExtractWord.h"
#include "platform/base/MainThread.h"

namespace textextraction {

void start(std::string text, Progress progress, Done done) {
  std::thread([text = std::move(text), progress = std::move(progress),
               done = std::move(done)]() mutable {
    plat::Value result;
    {
      ExtractWord extractor;
      extractor.setParent(&progress);
      extractor.setExtract_progressFun(progress);
      plat::Value words, learned, none;
      int added = 0;
      try {
        added = extractor.extractWord(text, words, learned, none);
      } catch (const std::exception&) {
        added = 0;  // the store failed: nothing to show
      }
      result = plat::Value::array({added, std::move(words), std::move(learned), std::move(none)});
    }
    // Posted after the last progress report, so it runs after it.
    plat::performOnMainThread([done = std::move(done), result = std::move(result)] { done(result); });
  }).detach();
}

}  // namespace textextraction
