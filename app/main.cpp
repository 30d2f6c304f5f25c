// The vocab program: prepares the app home, the bundle and the study database, and says where
// they are.
#include <cstdio>

#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"

int main() {
  plat::RunLoop::setMainThread();
  if (!plat::AppHome::ensureFolders()) {
    std::fprintf(stderr, "vocab: cannot create the app home at %s\n", plat::AppHome::home().c_str());
    return 1;
  }
  std::printf("app home: %s\n", plat::AppHome::home().c_str());
  std::printf("bundle:   %s\n", plat::Bundle::main().path().c_str());

  CallDB* store = CallDB::callDB();
  if (!store->isOpen()) {
    std::fprintf(stderr, "vocab: the study database could not be opened\n");
    return 1;
  }
  std::printf("study db: %s\n", store->databasePath().c_str());
  CallDB::Release_CallDB();
  return 0;
}
