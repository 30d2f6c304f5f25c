// The maker's web address, the one the app shows (the share texts, the word card's editor section,
// the help list's web-site row) and opens from that row: $VOCAB_MAKER_SITE, else the bundle's info
// value "MakerWebSite". "" when neither names one: then the app shows no address at all.
#pragma once

#include <string>

namespace MakerWebSite {

std::string address();

}  // namespace MakerWebSite
