#include "platform/base/Bundle.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

namespace files = plat::files;

TEST(StringsTable, MalformedLinesAreSkippedAndTheRestKept) {
  auto table = plat::parseStringsTable(
      "/* header */\n"
      "\"ok1\" = \"第一\";\n"
      "\"no semicolon\" = \"x\"\n"
      "\"ok2\" = \"line\\nbreak \\\"quoted\\\"\"; // trailing comment\n"
      "garbage line\n"
      "\"unterminated = \"y\";\n"
      "\"ok3\"=\"tight\";\n"
      "\"no value\" = ;\n");
  EXPECT_EQ(table.size(), 3u);
  EXPECT_EQ(table["ok1"], "第一");
  EXPECT_EQ(table["ok2"], "line\nbreak \"quoted\"");
  EXPECT_EQ(table["ok3"], "tight");
}

TEST(Bundle, ResourcesInfoValuesAndLocalisedTextWithKeyFallback) {
  std::string dir = testsupport::makeTempDir("bundle");
  ASSERT_TRUE(files::createDirectories(dir + "/help"));
  ASSERT_TRUE(files::writeFileAtomically(dir + "/help/cell_list.txt", "list"));
  ASSERT_TRUE(
      files::writeFileAtomically(dir + "/info.strings", "\"CFBundleVersion\" = \"3.5\";\n"));
  ASSERT_TRUE(
      files::writeFileAtomically(dir + "/InfoPlist.strings", "\"review_eg1\" = \"复习\";\n"));
  plat::Bundle::setMainPath(dir);
  plat::Bundle& bundle = plat::Bundle::main();
  EXPECT_EQ(bundle.pathForResource("help/cell_list", "txt"), dir + "/help/cell_list.txt");
  EXPECT_EQ(bundle.pathForResource("cell_list", "txt", "help"), dir + "/help/cell_list.txt");
  EXPECT_EQ(bundle.pathForResource("missing", "txt"), "");
  EXPECT_EQ(bundle.infoValue("CFBundleVersion"), "3.5");
  EXPECT_EQ(bundle.infoValue("CFBundleName"), "");
  EXPECT_EQ(plat::localized("review_eg1"), "复习");
  EXPECT_EQ(plat::localized("no_such_key"), "no_such_key");
  EXPECT_EQ(plat::localized("review_eg1", "MissingTable"), "review_eg1");
  plat::Bundle::setMainPath("");
  EXPECT_EQ(bundle.infoValue("CFBundleVersion"), "3.5");  // the old reference stays usable
  std::filesystem::remove_all(dir);
}
