#include "platform/http/MimeTypes.h"

#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

namespace {

TEST(MimeTypes, SystemTableFirstThenOurOwnList) {
  testsupport::TempHome home;
  std::string table = home.path() + "/mime.types";
  plat::files::writeFileAtomically(table,
                                   "# a comment line\n"
                                   "application/epub+zip\t\tepub\n"
                                   "audio/mpeg  mpga MP3 # trailing comment\n"
                                   "audio/x-other mp3\n"
                                   "text/x-lonely\n"
                                   "not-a-type ext\n");
  auto types = plat::http::readMimeTypesFile(table);
  EXPECT_EQ(types.size(), 3u);
  EXPECT_EQ(types["mp3"], "audio/mpeg");  // the first line naming it wins
  EXPECT_EQ(types["epub"], "application/epub+zip");
  EXPECT_TRUE(plat::http::readMimeTypesFile(home.path() + "/missing").empty());

  // The machine's own table (the media-types package) knows what our list does not.
  if (plat::files::exists("/etc/mime.types")) {
    EXPECT_EQ(plat::http::mimeTypeForExtension("EPUB"), "application/epub+zip");
  }
  EXPECT_EQ(plat::http::mimeTypeForExtension("png"), "image/png");
  EXPECT_EQ(plat::http::mimeTypeForExtension("plist"), "application/x-plist");
  EXPECT_FALSE(plat::http::mimeTypeForExtension("no-such-extension"));
}

}  // namespace
