// The program's own font configuration: the installed faces and nothing else, rendered as on a
// plain desktop. (The draw tests also run as a whole under other font rules: see CMakeLists.txt.)
#include "platform/draw/FontFaces.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string familyOf(FcPattern* font) {
  FcChar8* family = nullptr;
  FcPatternGetString(font, FC_FAMILY, 0, &family);
  return family ? reinterpret_cast<const char*>(family) : "";
}

// What the configuration gives for a pattern text, after its rules, as pango asks.
FcPattern* match(FcConfig* config, const char* pattern) {
  FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  FcConfigSubstitute(config, wanted, FcMatchPattern);
  FcDefaultSubstitute(wanted);
  FcResult result;
  FcPattern* font = FcFontMatch(config, wanted, &result);
  FcPatternDestroy(wanted);
  return font;
}

}  // namespace

TEST(FontFaces, HoldOnlyTheInstalledFacesAndDrawTheCjkBoldSynthetically) {
  FcConfig* config = plat::fontfaces::configuration();
  ASSERT_NE(config, nullptr) << "the setup installs fonts-wqy-microhei and fonts-dejavu-core";
  std::set<std::string> families;
  FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
  for (int i = 0; fonts && i < fonts->nfont; ++i) families.insert(familyOf(fonts->fonts[i]));
  EXPECT_EQ(families, (std::set<std::string>{"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif",
                                             "WenQuanYi Micro Hei", "WenQuanYi Micro Hei Mono"}));

  FcPattern* font = match(config, "Helvetica,WenQuanYi Micro Hei,sans-serif:weight=bold");
  EXPECT_EQ(familyOf(font), "WenQuanYi Micro Hei") << "an unknown name is not the first face";
  FcBool embolden = FcFalse;
  FcPatternGetBool(font, FC_EMBOLDEN, 0, &embolden);
  EXPECT_TRUE(embolden) << "the CJK face has no bold of its own";
  FcPatternDestroy(font);

  font = match(config, "monospace");
  EXPECT_EQ(familyOf(font), "DejaVu Sans Mono");
  FcPatternDestroy(font);
  EXPECT_EQ(plat::fontfaces::configuration(), config) << "made once";
}
