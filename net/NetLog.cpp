// The send/receive log on the disk: one entry appended per call, the file
// opened and closed each time. A log that cannot be written is given up
// quietly; the send or receive that called goes on.

#include "net/NetLog.h"

#include <windows.h>

#include "app/DateText.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "base/Handles.h"
#include "dates/DateTime.h"
#include "net/NetLogText.h"
#include "store/Slots.h"

namespace kelup {

namespace {

long Today() { return long(TodayAsDate()); }

// Appends to the file, creating it (and its folder) when missing.
bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) CreateDirs(path.substr(0, slash + 1));
    AutoFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace

void NetLog::SendLOG(const std::vector<std::wstring>& lines, const std::wstring& recipient) {
    if (Config.UseLog2 != 1) return;
    AppendToFile(Path.NetLogPath, ToCp932(SendEntryText(lines, recipient, NowText(), Today())));
}

void NetLog::RecvLOG(const std::vector<std::wstring>& lines, const std::wstring& sender) {
    if (Config.UseLog2 != 1) return;
    AppendToFile(Path.NetLogPath, ToCp932(RecvEntryText(lines, sender, NowText(), Today())));
}

void NetLog::FullLOG(int mode, const std::wstring& name) {
    if (Config.UseLog2 != 1) return;
    int maxTextNotes = SlotCountFor(Config.MAX1, 99);
    AppendToFile(Path.NetLogPath, ToCp932(FullEntryText(mode, name, NowText(), maxTextNotes)));
}

}  // namespace kelup
