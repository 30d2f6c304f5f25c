// The server program's log of one exchange: a line with the time, the method, the path, the
// account and page asked for, the status and the reply's size, then a line for each of the
// reply's own log lines. Connections are served on threads of their own, so this may run on
// several at once: nothing here keeps state between calls.
#pragma once

#include <ctime>
#include <string>

#include "server/Exchange.h"
#include "server/Form.h"

namespace standin {

// The log lines of one exchange at `when` (local time), each ending in a line feed; `form` is the
// request's (Form::of).
std::string exchangeLogText(const Request& request, const Form& form, const Reply& reply,
                            std::time_t when);

}  // namespace standin
