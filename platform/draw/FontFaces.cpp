#include "platform/draw/FontFaces.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace plat::fontfaces {
namespace {

constexpr const char* kFamilies[] = {"WenQuanYi Micro Hei", "WenQuanYi Micro Hei Mono",
                                     "DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif"};

// The generic names, and how a plain Debian desktop renders the faces: greyscale antialiasing,
// slight hinting (none for the CJK face) and a synthetic bold for the CJK face, which has no bold
// of its own. Without these rules bold Chinese text would come out regular.
constexpr const char* kRules = R"(
  <alias><family>sans-serif</family>
    <prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias><family>serif</family>
    <prefer><family>DejaVu Serif</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias><family>monospace</family>
    <prefer><family>DejaVu Sans Mono</family><family>WenQuanYi Micro Hei Mono</family></prefer>
  </alias>
  <match target="pattern">
    <edit name="antialias" mode="append"><bool>true</bool></edit>
    <edit name="hintstyle" mode="append"><const>hintslight</const></edit>
    <edit name="lcdfilter" mode="append"><const>lcddefault</const></edit>
  </match>
  <match target="font">
    <test name="family"><string>WenQuanYi Micro Hei</string></test>
    <edit name="hinting" mode="assign"><bool>false</bool></edit>
  </match>
  <match target="font">
    <test name="slant"><const>roman</const></test>
    <test target="pattern" name="slant" compare="not_eq"><const>roman</const></test>
    <edit name="matrix" mode="assign"><times><name>matrix</name>
      <matrix><double>1</double><double>0.2</double><double>0</double><double>1</double></matrix>
    </times></edit>
    <edit name="slant" mode="assign"><const>oblique</const></edit>
    <edit name="embeddedbitmap" mode="assign"><bool>false</bool></edit>
  </match>
  <match target="font">
    <test name="weight" compare="less_eq"><const>medium</const></test>
    <test target="pattern" name="weight" compare="more_eq"><const>bold</const></test>
    <edit name="embolden" mode="assign"><bool>true</bool></edit>
    <edit name="weight" mode="assign"><const>bold</const></edit>
  </match>
)";

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

struct Installed {
  std::set<std::string> folders;          // that hold one of the faces
  std::vector<std::string> cacheFolders;  // where the machine keeps its font caches
};

// Where the machine's own configuration finds the faces, by their exact names (a list, unlike a
// match, substitutes nothing).
Installed findInstalled() {
  Installed found;
  FcConfig* machine = FcInitLoadConfigAndFonts();
  if (!machine) return found;
  FcObjectSet* fileOnly = FcObjectSetBuild(FC_FILE, nullptr);
  for (const char* family : kFamilies) {
    FcPattern* named = FcPatternCreate();
    FcPatternAddString(named, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcFontSet* fonts = FcFontList(machine, named, fileOnly);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
      FcChar8* file = nullptr;
      if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
        found.folders.insert(
            std::filesystem::path(reinterpret_cast<const char*>(file)).parent_path().string());
    }
    if (fonts) FcFontSetDestroy(fonts);
    FcPatternDestroy(named);
  }
  FcObjectSetDestroy(fileOnly);
  if (FcStrList* caches = FcConfigGetCacheDirs(machine)) {
    while (FcChar8* folder = FcStrListNext(caches))
      found.cacheFolders.emplace_back(reinterpret_cast<const char*>(folder));
    FcStrListDone(caches);
  }
  FcConfigDestroy(machine);
  return found;
}

FcConfig* build() {
  const Installed installed = findInstalled();
  if (installed.folders.empty()) return nullptr;
  // The folders may hold other faces too (a package's extra weights, a math face): only the
  // named families are taken from them.
  std::string xml = "<?xml version=\"1.0\"?>\n<fontconfig>\n";
  for (const std::string& folder : installed.folders) xml += "<dir>" + escaped(folder) + "</dir>\n";
  for (const std::string& folder : installed.cacheFolders)
    xml += "<cachedir>" + escaped(folder) + "</cachedir>\n";
  xml += "<selectfont><rejectfont><pattern></pattern></rejectfont><acceptfont>\n";
  for (const char* family : kFamilies)
    xml += std::string("<pattern><patelt name=\"family\"><string>") + family +
           "</string></patelt></pattern>\n";
  xml += "</acceptfont></selectfont>\n";
  xml += kRules;
  xml += "</fontconfig>\n";

  FcConfig* config = FcConfigCreate();
  const bool built = FcConfigParseAndLoadFromMemory(
                         config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue) &&
                     FcConfigBuildFonts(config);
  // A configuration without a face would draw no text at all.
  FcFontSet* faces = built ? FcConfigGetFonts(config, FcSetSystem) : nullptr;
  if (!faces || faces->nfont == 0) {
    FcConfigDestroy(config);
    return nullptr;
  }
  return config;
}

}  // namespace

FcConfig* configuration() {
  static FcConfig* const config = build();
  return config;
}

}  // namespace plat::fontfaces
