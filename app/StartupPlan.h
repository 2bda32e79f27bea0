#pragma once
// The decisions of the start-up about folders and older settings, kept apart
// from the file system so the rules can be tested on their own.

#include <optional>
#include <string>

namespace kelup {

struct StartupFacts {
    bool configIniExists = false;
    std::wstring configSavePath;              // [COMMON] SavePath of config.ini
    std::wstring registrySavePath;            // SavePath kept in the registry by older editions
    int configUseNetwork = 0;                 // [COMMON] UseNetwork of config.ini
    bool oldIniExists = false;                // ExeDir\kelup.ini of older editions
    int oldIniUseNetwork = 0;                 // its [Option] UseNetwork
    std::wstring oldIniPath98;                // its [COMMON] Path98
    std::wstring myDocuments;                 // without trailing separator
};

struct StartupPlan {
    bool firstRun = false;    // show the welcome dialog
    std::wstring savePath;    // written back to config.ini, may be empty
    int networkOff = 0;
    bool deleteOldIni = false;
};

StartupPlan PlanStartup(const StartupFacts& f);

// The data folder of a save path: the path itself when given (with a
// separator added when missing), else ExeDir + "data\".
std::wstring GetSavePath(const std::wstring& savePath, const std::wstring& exeDir);

// Windows generation from the platform id and major version.
int OsLevelFrom(unsigned platformId, unsigned major);

// "A.BC.D" from the two double words of a file version; A,B from the most
// significant one, C,D from the least significant one.
std::wstring FormatVersionText(unsigned long ms, unsigned long ls);

// Ends with a path separator.
std::wstring WithSeparator(std::wstring path);

}  // namespace kelup
