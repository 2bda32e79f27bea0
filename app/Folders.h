#pragma once
// config.ini and the data folder (Win32 side of the start-up folders).

#include <string>

namespace kelup {

// ConfigDir + "config.ini"; creates ConfigDir when it is missing.
std::wstring GetConfigIniPath();
// [COMMON] SavePath of config.ini, else the value kept in the registry by
// older editions; the older registry key is removed in both cases.
std::wstring LoadSavePathFromIni();
void SaveSavePathToIni(const std::wstring& savePath);
int LoadUseNetworkFromIni();
void SaveUseNetworkToIni(int useNetwork);

std::wstring ShellFolder(int csidl);          // with trailing separator, empty on failure
std::wstring DownloadsFolder();               // with trailing separator, empty on failure
std::wstring RegReadString(void* rootKey, const std::wstring& subKey, const std::wstring& value);
void RegDeleteTreeIfExists(void* rootKey, const std::wstring& subKey);

}  // namespace kelup
