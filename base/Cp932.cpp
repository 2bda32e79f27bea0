#include "base/Cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

#include <vector>

namespace kelup {

std::size_t Cp932SafeCut(std::string_view bytes, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t len = IsCp932Lead(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        if (i + len > maxBytes) break;
        i += len;
    }
    return i;
}

#ifdef _WIN32

std::string ToCp932(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(932, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(932, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromCp932(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    // Character by character, so one bad sequence spoils only itself.
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t len = IsCp932Lead(c) ? 2 : 1;
        if (i + len > bytes.size()) {
            out += L'\x30FB';
            break;
        }
        wchar_t w[2] = {};
        int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data() + i, int(len), w, 2);
        if (n == 1) out += w[0];
        else if (c < 0x80) out += wchar_t(c);
        else out += L'\x30FB';
        i += len;
    }
    return out;
}

#else

namespace {

struct Iconv {
    iconv_t cd;
    Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (cd != iconv_t(-1)) iconv_close(cd);
    }
};

}  // namespace

std::string ToCp932(std::wstring_view text) {
    std::string out;
    Iconv conv("CP932", "WCHAR_T");
    for (wchar_t w : text) {
        char buf[8];
        char* in = reinterpret_cast<char*>(&w);
        size_t inLeft = sizeof(wchar_t);
        char* o = buf;
        size_t outLeft = sizeof buf;
        iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(conv.cd, &in, &inLeft, &o, &outLeft) == size_t(-1)) out += '?';
        else out.append(buf, o);
    }
    return out;
}

std::wstring FromCp932(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    Iconv conv("WCHAR_T", "CP932");
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t len = IsCp932Lead(c) ? 2 : 1;
        if (i + len > bytes.size()) {
            out += L'\x30FB';
            break;
        }
        if (c < 0x80) {
            out += wchar_t(c);
        } else {
            wchar_t w = 0;
            char src[2] = {bytes[i], len == 2 ? bytes[i + 1] : '\0'};
            char* in = src;
            size_t inLeft = len;
            char* o = reinterpret_cast<char*>(&w);
            size_t outLeft = sizeof w;
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(conv.cd, &in, &inLeft, &o, &outLeft) == size_t(-1) || outLeft != 0) out += L'\x30FB';
            else out += w;
        }
        i += len;
    }
    return out;
}

#endif

}  // namespace kelup
