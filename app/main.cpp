// The vocab program: prepares the app home and the bundle and starts the application.
#include <cstdio>

#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"

int main() {
  if (!plat::AppHome::ensureFolders()) {
    std::fprintf(stderr, "vocab: cannot create the app home at %s\n", plat::AppHome::home().c_str());
    return 1;
  }
  std::printf("app home: %s\n", plat::AppHome::home().c_str());
  std::printf("bundle:   %s\n", plat::Bundle::main().path().c_str());
  return 0;
}
