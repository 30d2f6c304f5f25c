// The few page scripts the screens evaluate in web views, answered from the laid-out page:
// the links and their count, an element's inner HTML by id, the page's address, title and
// height. Statements that only change the page's behaviour (touch callouts, say) have no effect
// here and answer "", as does anything else.
#pragma once

#include <string>

namespace plat {

class HtmlDocument;

std::string evaluatePageScript(const std::string& script, const HtmlDocument* page,
                               const std::string& pageURL);

}  // namespace plat
