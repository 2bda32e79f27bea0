#include "app/StartupPlan.h"

namespace kelup {

std::wstring WithSeparator(std::wstring path) {
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path;
}

StartupPlan PlanStartup(const StartupFacts& f) {
    StartupPlan p;
    p.firstRun = !f.configIniExists;
    p.savePath = f.configSavePath.empty() ? f.registrySavePath : f.configSavePath;
    p.networkOff = f.configUseNetwork;
    if (f.oldIniExists) {
        p.networkOff = f.oldIniUseNetwork;
        p.savePath = f.oldIniPath98;
        p.deleteOldIni = true;
    }
    if (p.networkOff == 1) p.firstRun = false;
    if (p.firstRun && p.savePath.empty()) p.savePath = WithSeparator(f.myDocuments) + L"RAVODEREV\\";
    return p;
}

std::wstring GetSavePath(const std::wstring& savePath, const std::wstring& exeDir) {
    if (savePath.empty()) return WithSeparator(exeDir) + L"data\\";
    return WithSeparator(savePath);
}

int OsLevelFrom(unsigned platformId, unsigned major) {
    if (platformId == 1) return 0;
    if (platformId != 2) return 9;
    if (major >= 6) return 3;
    if (major == 5) return 2;
    if (major == 4) return 1;
    return 9;
}

std::wstring FormatVersionText(unsigned long ms, unsigned long ls) {
    auto hi = [](unsigned long v) { return std::to_wstring((v >> 16) & 0xFFFF); };
    auto lo = [](unsigned long v) { return std::to_wstring(v & 0xFFFF); };
    return hi(ms) + L"." + lo(ms) + hi(ls) + L"." + lo(ls);
}

}  // namespace kelup
