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

static bool DecodeCp932Char(const char* p, std::size_t len, wchar_t& out) {
    wchar_t w[2] = {};
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, p, int(len), w, 2) != 1) return false;
    out = w[0];
    return true;
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

static bool DecodeCp932Char(const char* p, std::size_t len, wchar_t& out) {
    static thread_local Iconv conv("WCHAR_T", "CP932");
    char src[2] = {p[0], len == 2 ? p[1] : '\0'};
    char* in = src;
    size_t inLeft = len;
    wchar_t w = 0;
    char* o = reinterpret_cast<char*>(&w);
    size_t outLeft = sizeof w;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(conv.cd, &in, &inLeft, &o, &outLeft) == size_t(-1) || outLeft != 0 || inLeft != 0) return false;
    out = w;
    return true;
}

#endif

std::optional<std::wstring> FromCp932Strict(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += wchar_t(c);
            ++i;
            continue;
        }
        if (c == 0x80 || c == 0xA0 || c >= 0xFD) return std::nullopt;
        std::size_t len = IsCp932Lead(c) ? 2 : 1;
        if (len == 2) {
            if (i + 1 >= bytes.size()) return std::nullopt;
            unsigned char t = static_cast<unsigned char>(bytes[i + 1]);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return std::nullopt;
        }
        wchar_t w = 0;
        if (!DecodeCp932Char(bytes.data() + i, len, w)) return std::nullopt;
        // The system's stand-in for what it cannot read is "・" (0x81 0x45).
        if (w == L'\x30FB' && !(len == 2 && c == 0x81 && bytes[i + 1] == '\x45')) return std::nullopt;
        out += w;
        i += len;
    }
    return out;
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += wchar_t(0xD800 + (cp >> 10));
            out += wchar_t(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += wchar_t(cp);
}

// The length of the UTF-8 sequence a lead byte starts, 0 for no lead byte.
std::size_t Utf8Length(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = char32_t(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::wstring FromUtf8(std::string_view bytes, bool* valid) {
    std::wstring out;
    out.reserve(bytes.size());
    bool ok = true;
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t len = Utf8Length(c);
        if (len == 1) {
            out += wchar_t(c);
            ++i;
            continue;
        }
        char32_t cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        std::size_t n = 1;
        bool good = len != 0;
        while (good && n < len) {
            if (i + n >= bytes.size()) {
                good = false;
                break;
            }
            unsigned char t = static_cast<unsigned char>(bytes[i + n]);
            // The second byte of some leads is narrower: no overlong forms,
            // no surrogates, nothing past U+10FFFF.
            unsigned char lo = 0x80, hi = 0xBF;
            if (n == 1 && c == 0xE0) lo = 0xA0;
            if (n == 1 && c == 0xED) hi = 0x9F;
            if (n == 1 && c == 0xF0) lo = 0x90;
            if (n == 1 && c == 0xF4) hi = 0x8F;
            if (t < lo || t > hi) {
                good = false;
                break;
            }
            cp = (cp << 6) | (t & 0x3F);
            ++n;
        }
        if (good) {
            AppendCodePoint(out, cp);
            i += len;
        } else {
            // One U+FFFD for the longest start of a sequence that was right.
            ok = false;
            out += wchar_t(kReplacement);
            i += n;
        }
    }
    if (valid) *valid = ok;
    return out;
}

std::size_t Utf8SafeCut(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes) return bytes.size();
    std::size_t cut = maxBytes;
    // Back up over continuation bytes to the start of the sequence that
    // would be cut.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

}  // namespace kelup
