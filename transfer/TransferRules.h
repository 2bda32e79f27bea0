#pragma once
// What a receiver decides about an announced file or picture, and the names
// a received file is kept under.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelup {

// The answer to an announcement.
enum class AnnounceAnswer {
    Error,     // unusable (size 0, no name): KL_FILERECIEVERR / KL_IMAGERECIEVERR
    Refused,   // a receive limit: KL_FILERECIEVNG / KL_IMAGERECIEVNG
    Busy,      // a reception is under way: KL_BUSY
    Ready,     // the listener opens: KL_FILERECIEVREADY / KL_IMAGERECIEVREADY
};

// The receive limit of one kind: the setting (0 all, 1 none, 2 below the
// size), the size in KB, and the tray menu's temporary restriction.
struct ReceiveLimit {
    int mode = 0;
    int kb = 64;
    bool temporary = false;
};

// True when the limit refuses `size` bytes: mode 1, the temporary
// restriction, or mode 2 and at least kb × 1024 bytes.
bool RefusedByLimit(const ReceiveLimit& limit, std::uint64_t size);

AnnounceAnswer DecideAnnouncement(bool usable, std::uint64_t size, const ReceiveLimit& limit, bool receiving);

// A received file's name reduced to one that is safe to create: no folders,
// nothing Windows refuses, no device names, at most `kMaxXferNameLength`
// characters (the extension kept). "受信ファイル" when nothing is left.
inline constexpr std::size_t kMaxXferNameLength = 120;
std::wstring SafeXferName(std::wstring_view announced);

// `name` cut to at most `maxChars` characters, the extension kept (when it
// is short) and no surrogate pair split.
std::wstring ShortenFileName(std::wstring_view name, std::size_t maxChars);

// The name a file is announced under: the last part of `path`, ";" (which
// would end the field) as "；", at most `maxChars` characters.
std::wstring AnnouncedFileName(std::wstring_view path, std::size_t maxChars);

// The extension of a received picture: that of the announced name when it
// is one of the pictures an image note shows (bitmap, JPEG, icon); empty
// otherwise, and such an announcement is unusable.
std::wstring PictureExtension(std::wstring_view announced);

// The temporary file of a reception: the DOS date-time as a decimal number
// and ".~mp"; later attempts add "_2", "_3", ...
std::wstring TempReceiveName(std::uint32_t dosDateTime, int attempt = 1);

}  // namespace kelup
