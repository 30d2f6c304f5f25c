// Runs a piece of store work as one transaction of the study store. A failure rolls the work back
// and is reported instead of raised, so the screen that asked for it keeps running. Inside an
// open transaction of the same thread the work becomes a savepoint of it.
#pragma once

#include <functional>
#include <string>

namespace StoreTransaction {

// True when the work committed; otherwise `onFailure` gets the failure's reason.
bool run(const std::function<void()>& work,
         const std::function<void(const std::string&)>& onFailure);

}  // namespace StoreTransaction
