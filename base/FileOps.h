#pragma once
// File and folder helpers of the Win32 layer.

#include <string>

namespace kelup {

bool FileExists(const std::wstring& path);
bool DirExists(const std::wstring& path);
// Creates the folder with all missing parents; true when it exists afterwards.
bool CreateDirs(const std::wstring& path);
// Copies src over dst without ever leaving a half-written dst: the copy goes
// to a temporary file beside dst, is flushed, and then replaces dst.
bool CopyFileAtomic(const std::wstring& src, const std::wstring& dst);
// Folder of the running executable, with a trailing separator.
std::wstring ModuleDir();

}  // namespace kelup
