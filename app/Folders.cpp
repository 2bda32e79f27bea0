#include "app/Folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "app/IniFile.h"
#include "app/StartupPlan.h"
#include "base/FileOps.h"

namespace kelup {

std::wstring ShellFolder(int csidl) {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf))) return {};
    return WithSeparator(buf);
}

std::wstring DownloadsFolder() {
    PWSTR p = nullptr;
    std::wstring r;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &p)) && p) r = WithSeparator(p);
    CoTaskMemFree(p);
    return r;
}

std::wstring RegReadString(void* rootKey, const std::wstring& subKey, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(static_cast<HKEY>(rootKey), subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::wstring out;
    DWORD type = 0, size = 0;
    const wchar_t* name = value.empty() ? nullptr : value.c_str();
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) ==
            ERROR_SUCCESS)
            out.assign(buf.c_str());
    }
    RegCloseKey(key);
    return out;
}

void RegDeleteTreeIfExists(void* rootKey, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(static_cast<HKEY>(rootKey), subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    RegCloseKey(key);
    RegDeleteTreeW(static_cast<HKEY>(rootKey), subKey.c_str());
    RegDeleteKeyW(static_cast<HKEY>(rootKey), subKey.c_str());
}

std::wstring GetConfigIniPath() {
    std::wstring dir = ShellFolder(CSIDL_APPDATA) + L"KELUPG5\\";
    CreateDirs(dir);
    return dir + L"config.ini";
}

std::wstring LoadSavePathFromIni() {
    std::wstring path = IniFile(GetConfigIniPath()).GetString(L"COMMON", L"SavePath", L"");
    if (path.empty()) path = RegReadString(HKEY_CURRENT_USER, L"SOFTWARE\\KELUPG4\\Config", L"SavePath");
    RegDeleteTreeIfExists(HKEY_CURRENT_USER, L"SOFTWARE\\KELUPG4");
    return path;
}

void SaveSavePathToIni(const std::wstring& savePath) {
    IniFile(GetConfigIniPath()).WriteString(L"COMMON", L"SavePath", savePath);
}

int LoadUseNetworkFromIni() { return IniFile(GetConfigIniPath()).GetInt(L"COMMON", L"UseNetwork", 0); }

void SaveUseNetworkToIni(int useNetwork) {
    IniFile(GetConfigIniPath()).WriteInt(L"COMMON", L"UseNetwork", useNetwork);
}

}  // namespace kelup
