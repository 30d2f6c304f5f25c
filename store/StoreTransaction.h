// Runs a piece of store work as one transaction of the study store. A failure rolls the work back
// and is reported instead of raised, so the screen that asked for it keeps running. Inside an
// open transaction of the same thread the work becomes a savepoint of it.
#pragma once

#include <functional>
#include <string>

class SqlMgrController;

namespace StoreTransaction {

using FailureFun = std::function<void(const std::string& reason)>;

// True when the work committed; otherwise `onFailure`, when set, gets the failure's reason.
bool run(const std::function<void()>& work, const FailureFun& onFailure);
// The same on the connection `sql` rather than the shared store's.
bool run(SqlMgrController& sql, const std::function<void()>& work,
         const FailureFun& onFailure = nullptr);
// For callers that pass the failure on: any failure rolls the work back and is raised again.
void runOrRaise(SqlMgrController& sql, const std::function<void()>& work);

}  // namespace StoreTransaction
