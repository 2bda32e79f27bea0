// The main window's side of the DDE commands.

#include "app/RARADAVE.h"
#include "extras/DdeCommand.h"
#include "extras/DdeServer.h"

namespace kelup {

void RARADAVE::DdeExecute(const DdeCommand& cmd) {
    if (cmd.word == L"DateUp") {
        M_DateUp1Click();
    } else if (cmd.word == L"DateUpAndAllShow") {
        M_DateUp1Click();
        M_ReShowClick();
    } else if (cmd.word == L"MakeKelupN") {
        NewNormalClick();
    } else if (cmd.word == L"MakeKelupB") {
        NewBMPClick();
    } else if (cmd.word == L"DDEMAKEKELUP") {
        DdeLines.clear();
        DdeNoteRequest req = ParseDdeMakeKelup(cmd);
        DdeLineCount = req.count;
        DdeLeft = req.left;
        DdeTop = req.top;
        DdeLines = req.lines;
        MakeKelup(L"|||");
    }
}

void RARADAVE::StartDde() {
    dde_ = std::make_unique<DdeServer>();
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    dde_->Start(exe);
}

void RARADAVE::StopDde() { dde_.reset(); }

}  // namespace kelup
