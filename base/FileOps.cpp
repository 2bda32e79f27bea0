#include "base/FileOps.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "base/Handles.h"

namespace kelup {

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirs(const std::wstring& path) {
    if (path.empty()) return false;
    std::wstring p = path;
    while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
    if (DirExists(p)) return true;
    // Walk down from the root, creating each missing level.
    for (size_t i = 0; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == L'\\' || p[i] == L'/') {
            std::wstring part = p.substr(0, i);
            if (part.size() <= 2 || DirExists(part)) continue;   // "C:" or existing
            CreateDirectoryW(part.c_str(), nullptr);
        }
    }
    return DirExists(p);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    AutoFile in(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(in.get(), &size) || size.QuadPart > (1ll << 31)) return false;
    bytes.assign(size_t(size.QuadPart), '\0');
    DWORD got = 0;
    if (size.QuadPart > 0 && (!ReadFile(in.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr) || got != bytes.size()))
        return false;
    return true;
}

bool WriteFileAtomic(const std::wstring& path, const std::string& bytes) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && !CreateDirs(path.substr(0, slash + 1))) return false;
    std::wstring tmp = path + L".tmp";
    {
        AutoFile out(CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return false;
        DWORD put = 0;
        if (!bytes.empty() && (!WriteFile(out.get(), bytes.data(), DWORD(bytes.size()), &put, nullptr) || put != bytes.size())) {
            out.reset();
            DeleteFileW(tmp.c_str());
            return false;
        }
        if (!FlushFileBuffers(out.get())) {
            out.reset();
            DeleteFileW(tmp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tmp.c_str());
        return false;
    }
    return true;
}

bool CopyFileAtomic(const std::wstring& src, const std::wstring& dst) {
    std::string bytes;
    return ReadWholeFile(src, bytes) && WriteFileAtomic(dst, bytes);
}

long long FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA fad{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &fad)) return 0;
    return (static_cast<long long>(fad.nFileSizeHigh) << 32) | fad.nFileSizeLow;
}

std::wstring ModuleDir() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
        if (n < buf.size()) {
            std::wstring path(buf.data(), n);
            return path.substr(0, path.find_last_of(L"\\/") + 1);
        }
        buf.resize(buf.size() * 2);
    }
}

}  // namespace kelup
