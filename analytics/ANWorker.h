// One upload job: posts its envelope files, oldest first, to the primary and then the fallback
// log endpoint, deletes the delivered ones and counts the outcomes. It runs on the upload queue;
// what it changes in the core (identifier tracking, server settings, the running flag) it hands
// to the core's thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/Operation.h"

class AnalyticsContext;

class ANWorker : public plat::Operation {
 public:
  ANWorker(std::shared_ptr<AnalyticsContext> context, std::vector<std::string> envelopeFilePaths);

  void main() override;
  bool postDataWithFile(const std::string& path);
  bool postDataToServer(const std::string& endpoint, const std::string& path);
  const std::vector<std::string>& envelopeFilePaths() const { return envelopeFilePaths_; }

 private:
  std::shared_ptr<AnalyticsContext> context_;
  std::vector<std::string> envelopeFilePaths_;
};
