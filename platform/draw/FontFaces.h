// The faces the program draws with: the CJK face and the Latin faces that the setup installs
// (fonts-wqy-microhei, fonts-dejavu-core), and no others, whatever else the machine has. A font
// name that is none of them ("Helvetica", a web page's "Arial") falls through to the system font
// of the family lists, as it does on a machine with only those faces, instead of to whatever face
// the machine's font configuration would give for it (a metric twin of Helvetica whose narrow
// quotation marks break the width of Chinese text).
#pragma once

#include <fontconfig/fontconfig.h>

namespace plat::fontfaces {

// A font configuration that holds only those faces, with the generic names (sans-serif, serif,
// monospace) and the rendering rules of a plain Debian desktop; made on first use and kept for
// the life of the process. nullptr when none of the faces is installed: the machine's own
// configuration is left in use then, so that text still shows.
FcConfig* configuration();

}  // namespace plat::fontfaces
