#include "net/Identity.h"

#include "base/Cp932.h"

namespace kelup {

namespace {

std::wstring CutToBytes(const std::wstring& text, std::size_t maxBytes) {
    std::string bytes = ToCp932(text);
    if (bytes.size() <= maxBytes) return text;
    return FromCp932(std::string_view(bytes).substr(0, Cp932SafeCut(bytes, maxBytes)));
}

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

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

std::wstring MakeIpMsgIdentity(std::wstring_view nickName, std::wstring_view userName, std::wstring_view hostName,
                               std::wstring_view groupName) {
    std::wstring name = IdentityPartSafe(nickName.empty() ? userName : nickName);
    return name + L"\xFF08" + IdentityPartSafe(hostName) + L"\xFF09/" + IdentitySectionSafe(groupName) + L"##" +
           std::wstring(kIpMsgSex) + L"#@#@#" + std::wstring(kIpMsgVersion);
}

}  // namespace kelup
