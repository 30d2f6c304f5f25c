// Every text the analytics component prints or logs, as its users and log readers know them.
#pragma once

// Printed always, on misuse by the caller.
inline constexpr const char* kNoAppKeyMessage =
    "ANLOG: appkey can not be found or not valid. Analytics methods must be called after "
    "[Analytics startWithAppkey...]!";
inline constexpr const char* kAppkeyDifferent = "WARNING: Appkey is different from the past.";
inline constexpr const char* kIntervalTooShort = "ERROR: can't less 90s for log send interval.";
inline constexpr const char* kGetAdUrlInvalid =
    "ANLOG: ERROR getAdURL method already invalid, please remove it.";
inline constexpr const char* kEventIdTooLong =
    "ANLOG: (Warning) event_id (%s) max bytes length > %d";
inline constexpr const char* kReservedKey =
    "ANLOG: (ERROR) 关键字id, ts, du是友盟SDK保留字段，不能作为key使用。";
inline constexpr const char* kKeysMustBeStrings =
    "ANLOG: (ERROR) Analytics event's keys and values must be string ,key's max length 128 and "
    "value's max length 256";
inline constexpr const char* kJsonValueFailed = "-JSONValue failed. Error trace is: %s";
inline constexpr const char* kJsonFragmentFailed = "-JSONFragment failed. Error trace is: %s";
inline constexpr const char* kExceptionOccurred = "Exception occurred: %s, %s";

// Through the log switch.
inline constexpr const char* kSdkStart = "analytics sdk version %s , app version %s";
inline constexpr const char* kSessionBeginLog = "session begin:%s";
inline constexpr const char* kSessionEndLog = "session end:%s";
inline constexpr const char* kPageDurationLog = "pageDuration:%s";
inline constexpr const char* kPageBeginLog = "pageBegin=%s, beginTime:%s";
inline constexpr const char* kPageEndLog = "pageEnd=%s, duration:%d";
inline constexpr const char* kUnknownEventType = "WARNING: unkown event type";
inline constexpr const char* kEmptySessionId = "WARNING: session id is empty";
inline constexpr const char* kAlreadyActive = "WARNING app has already activate.";
inline constexpr const char* kEventMaxCount = "WARNING event max count %d per 8 hours.";
inline constexpr const char* kEventBeginLog = "eventBegin eventId=%s, label=%s";
inline constexpr const char* kEkvBeginLog = "ekvBegin ekvEvent.id=%s, ekvEvent.key=%s";
inline constexpr const char* kInvalidPuid = "ERROR, invalid puid.";
inline constexpr const char* kPuidTooLong = "ERROR, puid's max length is 64 byte.";
inline constexpr const char* kProviderTooLong = "ERROR, provider's max length is 32 byte.";
inline constexpr const char* kBadLocation = "Latitude or longitude may be wrong.";
inline constexpr const char* kPrepareToPost = "prepare to post log data";
inline constexpr const char* kBinaryInfoFailed = "Read binary image info failed!";
inline constexpr const char* kDladdrFailed = "dladdr(%p, ...) failed";
inline constexpr const char* kInvalidHeaderMagic = "Invalid Mach-O header magic value: %x";

// Printed by the hardware-address reader when the system refuses.
inline constexpr const char* kIfNameToIndexError = "Error: if_nametoindex error";
inline constexpr const char* kSysctlTake1 = "Error: sysctl, take 1";
inline constexpr const char* kAllocError = "Could not allocate memory. error!";
inline constexpr const char* kSysctlTake2 = "Error: sysctl, take 2";

// Shared device identifier statuses.
inline constexpr const char* kUdidRetrieved = "SharedUDID succesfully retrieved";
inline constexpr const char* kUdidInCache = "SharedUDID in cache from first call";
inline constexpr const char* kUdidOptedOut =
    "Application with unique id %s is opted-out from SharedUDID as of %s";
inline constexpr const char* kUdidDiscrepancy =
    "Found a discrepancy between stored SharedUDID (reliable) and redundant copies; one of the "
    "apps on the device is most likely corrupting the SharedUDID protocol";
