#pragma once
// Folders and the files formed in them, found once at start; every folder
// ends with a separator and file paths are formed by concatenation.

#include <string>

namespace kelup {

struct Paths {
    std::wstring ExeDir, ConfigDir, SavePath, DataDir, LogDir;
    std::wstring MyDocuments, DownloadsDir, MyPictures, PictureDir, WindowsDir;
    std::wstring IniPath, DataFilePath, BackupFilePath, HalfIniPath, PeelLogPath, NetLogPath;
    std::wstring SendListPath, FriendListPath, FrhPath, TempDatPath, SgnPath, AdrPath;
    std::wstring UndoPath0, UndoPath1, HelpFile;
};

}  // namespace kelup
