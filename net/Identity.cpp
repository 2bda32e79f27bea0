#include "net/Identity.h"

#include "base/Cp932.h"

namespace kelup {

namespace {

std::wstring CutToBytes(const std::wstring& text, std::size_t maxBytes) {
    std::string bytes = ToCp932(text);
    if (bytes.size() <= maxBytes) return text;
    return FromCp932(std::string_view(bytes).substr(0, Cp932SafeCut(bytes, maxBytes)));
}

bool IsControl(wchar_t c) { return IsControlChar(c); }

}  // namespace

std::wstring IdentityPartSafe(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L';': out += L'\xFF1B'; break;   // ；
        case L'/': out += L'\xFF0F'; break;   // ／
        case L'#': out += L'\xFF03'; break;   // ＃
        case L'|': out += L'\xFF5C'; break;   // ｜
        case L'\xFF08': out += L'('; break;   // （ stands only around the computer name
        case L'\xFF09': out += L')'; break;
        default:
            if (!IsControl(c)) out += c;
        }
    }
    return out;
}

std::wstring IdentitySectionSafe(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L';': out += L'\xFF1B'; break;
        case L'#': out += L'\xFF03'; break;
        case L'|': out += L'\xFF5C'; break;
        default:
            if (!IsControl(c)) out += c;
        }
    }
    return out;
}

std::wstring CreateMyHostName(const HostNameInputs& in) {
    std::wstring computer = CutToBytes(IdentityPartSafe(in.computerName), kMaxIdentityComputerBytes);
    std::wstring name = in.myName.empty() ? computer : CutToBytes(IdentityPartSafe(in.myName), kMaxIdentityNameBytes);
    std::wstring section = CutToBytes(IdentitySectionSafe(in.section), kMaxIdentitySectionBytes);
    int sex = in.sex >= 0 && in.sex <= 7 ? in.sex : 0;
    std::wstring id = name + L"\xFF08" + computer + L"\xFF09";
    if (!section.empty()) id += L"/" + section;
    id += L"##" + std::to_wstring(sex) + L"#@#@#" + std::wstring(kProtocolVersion);
    return id;
}

ExtractedHost ExtractSHostName(std::wstring_view identity) {
    ExtractedHost r;
    std::wstring_view id = identity;
    if (std::size_t p = id.find(kKanrenMarker); p != std::wstring_view::npos) {
        r.kanren = std::wstring(id.substr(p + kKanrenMarker.size()));
        id = id.substr(0, p);
    }
    if (std::size_t p = id.find(L"#@#@#"); p != std::wstring_view::npos) {
        r.verNo = std::wstring(id.substr(p + 5, 5));
        id = id.substr(0, p);
    } else {
        r.verNo = L"1.00";
        if (std::size_t q = id.find(L"###"); q != std::wstring_view::npos) id = id.substr(0, q);
    }
    if (std::size_t p = id.find(L"##"); p != std::wstring_view::npos) {
        r.sex = std::wstring(id.substr(p + 2, 1));
        id = id.substr(0, p);
    } else {
        r.sex = L"0";
    }
    if (std::size_t p = id.find(L'/'); p != std::wstring_view::npos) {
        r.sHostName = std::wstring(id.substr(0, p));
        r.shozk = std::wstring(id.substr(p + 1));
    } else {
        r.sHostName = std::wstring(id);
    }
    return r;
}

bool IsWellFormedVersion(std::wstring_view v) {
    if (v.empty() || v.size() > 5 || v[0] < L'0' || v[0] > L'9') return false;
    for (wchar_t c : v)
        if (c != L'.' && (c < L'0' || c > L'9')) return false;
    return true;
}

bool IsWellFormedDisplayName(std::wstring_view d) {
    if (d.empty() || d.size() > kMaxDisplayNameChars || d.back() != L'\xFF09') return false;
    std::size_t open = d.find(L'\xFF08');
    if (open == std::wstring_view::npos || open == 0 || open + 2 >= d.size()) return false;
    std::wstring_view name = d.substr(0, open), computer = d.substr(open + 1, d.size() - open - 2);
    bool blank = true;
    for (wchar_t c : name) {
        if (IsControlChar(c) || c == L'\xFF09') return false;
        if (c != L' ' && c != L'\x3000') blank = false;
    }
    if (blank) return false;
    for (wchar_t c : computer)
        if (IsControlChar(c) || c == L'\xFF08' || c == L'\xFF09') return false;
    return true;
}

std::optional<ExtractedHost> ParseAnnouncedIdentity(std::wstring_view identity) {
    for (wchar_t c : identity)
        if (IsControlChar(c)) return std::nullopt;
    if (identity.find(kKanrenMarker) != std::wstring_view::npos) return std::nullopt;
    std::wstring_view body = identity;
    bool sexRequired = false;
    if (std::size_t p = body.find(L"#@#@#"); p != std::wstring_view::npos) {
        if (!IsWellFormedVersion(body.substr(p + 5))) return std::nullopt;
        body = body.substr(0, p);
        sexRequired = true;
    } else if (std::size_t q = body.find(L"###"); q != std::wstring_view::npos) {
        body = body.substr(0, q);
    }
    if (std::size_t p = body.find(L"##"); p != std::wstring_view::npos) {
        // "##" and one digit, and nothing after them.
        if (p + 3 != body.size() || body[p + 2] < L'0' || body[p + 2] > L'9') return std::nullopt;
        body = body.substr(0, p);
    } else if (sexRequired) {
        return std::nullopt;
    }
    std::wstring_view display = body.substr(0, body.find(L'/'));
    if (!IsWellFormedDisplayName(display)) return std::nullopt;
    return ExtractSHostName(identity);
}

std::wstring MakeIpMsgIdentity(std::wstring_view nickName, std::wstring_view userName, std::wstring_view hostName,
                               std::wstring_view groupName) {
    std::wstring name = IdentityPartSafe(nickName.empty() ? userName : nickName);
    return name + L"\xFF08" + IdentityPartSafe(hostName) + L"\xFF09/" + IdentitySectionSafe(groupName) + L"##" +
           std::wstring(kIpMsgSex) + L"#@#@#" + std::wstring(kIpMsgVersion);
}

}  // namespace kelup
