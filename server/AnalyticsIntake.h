// The stand-in's log service: takes one analytics envelope per POST to "/app_logs", reads it with
// the app's own wire records (envelope, then the compressed and possibly encrypted log entry
// inside) and answers as the app expects (a Thrift response, "resp_code" 1). What the envelope
// carried goes to the server's log, one line per record up to a bound; an upload of more records
// than the app ever sends is refused before they are read.
#pragma once

#include <string>
#include <vector>

#include "server/Exchange.h"

namespace standin {

// The log lines of an envelope's bytes; false with what is wrong in `failure` when they are no
// envelope or its entry cannot be read, `tooLarge` set when it carries too many records.
bool describeEnvelope(const std::string& bytes, std::vector<std::string>& lines,
                      std::string& failure, bool& tooLarge);

// The reply to an upload: accepted and described, or refused with the reason and status 413 (too
// many records) or 400.
Reply acceptEnvelope(const Request& request);

}  // namespace standin
