#include "app/MsgBoxType.h"

namespace kelup {

namespace {

MsgButton B(int id) {
    switch (id) {
        case kIdOk: return {id, L"OK", false};
        case kIdCancel: return {id, L"キャンセル", true};
        case kIdAbort: return {id, L"中止(&A)", false};
        case kIdRetry: return {id, L"再試行(&R)", false};
        case kIdIgnore: return {id, L"無視(&I)", false};
        case kIdYes: return {id, L"はい(&Y)", false};
        default: return {kIdNo, L"いいえ(&N)", true};
    }
}

}  // namespace

MsgBoxType DecodeMsgType(unsigned nType) {
    MsgBoxType s;
    switch (nType & 0xF) {
        case 1: s.buttons = {B(kIdOk), B(kIdCancel)}; s.cancelId = kIdCancel; break;
        case 2: s.buttons = {B(kIdAbort), B(kIdRetry), B(kIdIgnore)}; s.cancelId = kIdAbort; break;
        case 3: s.buttons = {B(kIdYes), B(kIdNo), B(kIdCancel)}; s.cancelId = kIdCancel; break;
        case 4: s.buttons = {B(kIdYes), B(kIdNo)}; s.cancelId = kIdNo; break;
        case 5: s.buttons = {B(kIdRetry), B(kIdCancel)}; s.cancelId = kIdCancel; break;
        default: s.buttons = {B(kIdOk)}; s.cancelId = kIdOk; break;
    }
    switch (nType & 0xF0) {
        case 0x10: s.icon = MsgIcon::Error; break;
        case 0x20: s.icon = MsgIcon::Question; break;
        case 0x30: s.icon = MsgIcon::Warning; break;
        case 0x40: s.icon = MsgIcon::Information; break;
        default: s.icon = MsgIcon::None; break;
    }
    int def = 0;
    if ((nType & 0xF00) == 0x100) def = 1;
    else if ((nType & 0xF00) == 0x200) def = 2;
    s.defaultIndex = def < int(s.buttons.size()) ? def : 0;
    return s;
}

}  // namespace kelup
