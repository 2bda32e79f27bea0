#include "store/NoteRecord.h"

namespace kelup {

std::array<std::int32_t, 24> RSave1::Fields() const {
    return {Left,       Top,        Width,   Height,   Color,  StayOnTop, Waku,     FontColor1,
            FontColor2, FontSize1,  FontSize2, MaxString, FontStyle1, FontStyle2, KeyOpen, LockMode,
            Tomei,      HideFG,     EveryDay, SetPWord, TransBkgnd, SenderSex, Border, LineSpace};
}

RSave1 RSave1::FromFields(const std::array<std::int32_t, 24>& f) {
    RSave1 r;
    std::int32_t* out[] = {&r.Left,       &r.Top,       &r.Width,    &r.Height,     &r.Color,      &r.StayOnTop,
                           &r.Waku,       &r.FontColor1, &r.FontColor2, &r.FontSize1, &r.FontSize2, &r.MaxString,
                           &r.FontStyle1, &r.FontStyle2, &r.KeyOpen,  &r.LockMode,   &r.Tomei,      &r.HideFG,
                           &r.EveryDay,   &r.SetPWord,  &r.TransBkgnd, &r.SenderSex, &r.Border,     &r.LineSpace};
    for (std::size_t i = 0; i < f.size(); ++i) *out[i] = f[i];
    return r;
}

}  // namespace kelup
