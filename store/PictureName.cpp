#include "store/PictureName.h"

namespace kelup {

std::wstring UniquePictureName(std::uint32_t dosStamp, const std::function<bool(const std::wstring&)>& taken) {
    std::uint64_t n = dosStamp;
    for (int tries = 0; tries < 100000; ++tries, ++n) {
        std::wstring name = std::to_wstring(n) + L".bmp";
        if (!taken(name)) return name;
    }
    return std::to_wstring(n) + L".bmp";
}

}  // namespace kelup
