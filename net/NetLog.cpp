// The send/receive log file.

#include "net/NetLog.h"

#include "app/Paths.h"
#include "app/Settings.h"

namespace kelup {

// Entries are written once the log's text layouts are in place.
void NetLog::SendLOG(const std::vector<std::wstring>&, const std::wstring&) {}
void NetLog::RecvLOG(const std::vector<std::wstring>&, const std::wstring&) {}
void NetLog::FullLOG(int, const std::wstring&) {}

}  // namespace kelup
