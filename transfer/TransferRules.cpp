#include "transfer/TransferRules.h"

#include "net/NativePacket.h"

namespace kelup {

bool RefusedByLimit(const ReceiveLimit& limit, std::uint64_t size) {
    if (limit.temporary || limit.mode == 1) return true;
    if (limit.mode == 2) return size >= std::uint64_t(limit.kb < 0 ? 0 : limit.kb) * 1024u;
    return false;
}

AnnounceAnswer DecideAnnouncement(bool usable, std::uint64_t size, const ReceiveLimit& limit, bool receiving) {
    if (!usable || size == 0) return AnnounceAnswer::Error;
    if (RefusedByLimit(limit, size)) return AnnounceAnswer::Refused;
    if (receiving) return AnnounceAnswer::Busy;
    return AnnounceAnswer::Ready;
}

namespace {

// Where the extension begins (the last "."), or npos; a leading dot is no
// extension.
std::size_t ExtensionAt(std::wstring_view name) {
    std::size_t dot = name.rfind(L'.');
    return dot == 0 ? std::wstring_view::npos : dot;
}

}  // namespace

std::wstring ShortenFileName(std::wstring_view name, std::size_t maxChars) {
    if (name.size() <= maxChars) return std::wstring(name);
    std::size_t dot = ExtensionAt(name);
    std::wstring ext = dot == std::wstring_view::npos ? L"" : std::wstring(name.substr(dot));
    if (ext.size() > 16 || ext.size() >= maxChars) ext.clear();
    std::wstring stem(name.substr(0, dot == std::wstring_view::npos ? name.size() : dot));
    if (stem.size() > maxChars - ext.size()) stem.resize(maxChars - ext.size());
    // A surrogate pair is not cut in two.
    if (!stem.empty() && stem.back() >= 0xD800 && stem.back() <= 0xDBFF) stem.pop_back();
    while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'.')) stem.pop_back();
    return stem + ext;
}

std::wstring AnnouncedFileName(std::wstring_view path, std::size_t maxChars) {
    std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
    for (wchar_t& c : name)
        if (c == L';') c = L'\xFF1B';
    return ShortenFileName(name, maxChars);
}

std::wstring SafeXferName(std::wstring_view announced) {
    std::wstring name = ShortenFileName(SafeReceivedFileName(announced), kMaxXferNameLength);
    return name.empty() ? L"受信ファイル" : name;
}

std::wstring PictureExtension(std::wstring_view announced) {
    std::wstring name = SafeReceivedFileName(announced);
    std::size_t dot = ExtensionAt(name);
    if (dot == std::wstring::npos) return L"";
    std::wstring ext = name.substr(dot);
    std::wstring lower = ext;
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
    for (std::wstring_view known : {L".bmp", L".dib", L".jpg", L".jpeg", L".jpe", L".jfif", L".ico"})
        if (lower == known) return ext;
    return L"";
}

std::wstring TempReceiveName(std::uint32_t dosDateTime, int attempt) {
    std::wstring name = std::to_wstring(dosDateTime);
    if (attempt > 1) name += L"_" + std::to_wstring(attempt);
    return name + L".~mp";
}

}  // namespace kelup
