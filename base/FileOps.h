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
// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
// Writes a file so that a crash at any moment leaves either the old or the
// new content: a temporary file beside it is written, flushed and renamed
// over the old one. Creates the folder when missing.
bool WriteFileAtomic(const std::wstring& path, const std::string& bytes);
// Size of a file in bytes, 0 when it cannot be opened.
long long FileSizeOf(const std::wstring& path);
// Folder of the running executable, with a trailing separator.
std::wstring ModuleDir();

}  // namespace kelup
