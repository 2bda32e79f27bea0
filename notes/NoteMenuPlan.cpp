#include "notes/NoteMenuPlan.h"

#include "res/resource.h"

namespace kelup {

namespace {

bool Blank(const std::wstring& s) { return s.find_first_not_of(L" \t　") == std::wstring::npos; }

std::wstring FilePart(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

NoteMenuPlan PlanNoteMenu(const NoteMenuFacts& f) {
    NoteMenuPlan p;
    auto enable = [&](unsigned id, bool on) { p.enabled[id] = on; };
    const unsigned copyLines[] = {ID_M_CopyLine1, ID_M_CopyLine2, ID_M_CopyLine3, ID_M_CopyLine4, ID_M_CopyLine5,
                                  ID_M_CopyLine6, ID_M_CopyLine7, ID_M_CopyLine8, ID_M_CopyLine9};
    // 1., 2.
    for (unsigned id : copyLines) enable(id, true);
    enable(ID_M_Internet, false);
    // 3.
    p.checked[ID_M_Border] = f.border != 0;
    p.captions[ID_N_Exit] = f.logDefault == 1 ? L"ログに出力しないではがす" : L"ログに出力してはがす";
    // The line-spacing caption and the association caption hold in every case.
    p.lineSpaceCaption = L"行間（" + std::to_wstring((f.lineSpace - 20) * 100 / 20) + L"％）";
    p.captions[ID_M_Kanren] = f.openFName.empty() ? L"関連付け..." : L"関連付け..." + FilePart(f.openFName);
    p.checked[ID_M_Lock] = f.lockMode == 1;
    bool translucent = f.alphaValue <= 254 && f.tomei == 0;
    p.captions[ID_M_HalfS] = translucent ? L"半透明（" + std::to_wstring(f.alphaValue) + L"）" : L"半透明";

    // 4. An unopened protected note: only peeling, hiding, editing, information,
    // reply and the main menu.
    const unsigned guarded[] = {ID_M_Load, ID_M_Prn, ID_M_Copy, ID_M_Paste, ID_Color1, ID_M_Limit,
                                ID_M_StayOnTop, ID_M_StayOnBottom, ID_M_Default, ID_NewKelup, ID_MRep,
                                ID_M_EmptyRep, ID_M_Send, ID_M_Internet, ID_M_Auto, ID_M_AutoW1, ID_M_AutoW2,
                                ID_M_AutoW3, ID_M_Lock, ID_M_Tomei, ID_M_HalfS, ID_M_Execute, ID_M_Kanren,
                                ID_M_FontColorAll, ID_M_Border, ID_M_SaveText};
    const NoteSubmenu guardedSubs[] = {NoteSubmenu::Appearance, NoteSubmenu::Arrange, NoteSubmenu::Register,
                                       NoteSubmenu::LineSpace};
    if (f.keyOpen == 1) {
        for (unsigned id : guarded) enable(id, false);
        for (unsigned id : copyLines) enable(id, false);
        for (NoteSubmenu s : guardedSubs) p.submenus[s] = false;
        p.defaultEntry = ID_String1;
        return p;
    }
    // 5.
    for (unsigned id : guarded) enable(id, true);
    for (NoteSubmenu s : guardedSubs) p.submenus[s] = true;
    enable(ID_M_Load, true);
    enable(ID_LOG1, true);
    enable(ID_LOG2, true);
    enable(ID_M_Res, f.hasSenderAddr);
    enable(ID_M_Internet, false);
    // 6.
    enable(ID_LineSpaceMinus, f.lineSpace > 20);
    enable(ID_LineSpacePlus, f.lineSpace < 60);
    // 7.
    for (size_t n = 0; n < 9; ++n) enable(copyLines[n], n < f.lines.size() && !Blank(f.lines[n]));
    // 8.
    enable(ID_M_Send, !f.netDisabled && !f.networkOff);
    enable(ID_String1, !f.editorOpen);
    enable(ID_NewKelup, !f.editorOpen && !f.slotsFull);
    enable(ID_MRep, !f.slotsFull);
    enable(ID_M_EmptyRep, !f.slotsFull);
    if (f.bottom == 1) enable(ID_M_StayOnBottom, false);
    enable(ID_M_Paste, f.clipboardHasText);
    // 9.
    if (f.kDate == 0) p.captions[ID_M_Limit] = L"期日の設定 - なし";
    else if (f.everyDay == 1) p.captions[ID_M_Limit] = L"期日の設定 - 毎日 " + f.deadlineTime;
    else p.captions[ID_M_Limit] = L"期日の設定 - " + f.deadlineDate + L" " + f.deadlineTime;
    enable(ID_M_Limit, f.onlyDateCheck == 1 || f.useColor1 != 0 || f.useColor2 != 0 || f.useColor3 != 0);
    // 10.
    enable(ID_N_Exit, f.useLog1 != 0);
    enable(ID_LOG2, f.useLog1 != 0);
    // 11.
    enable(ID_M_Execute, !f.openFName.empty());
    p.defaultEntry = f.dblClickMode == 3 ? ID_M_Auto
                   : f.dblClickMode == 2 ? ID_M_Execute
                   : f.dblClickMode == 1 ? ID_M_Direct
                                         : ID_String1;
    // 12.
    bool titleLine = !f.lines.empty() && !f.lines[0].empty();
    bool locked = f.lockMode == 1;
    for (unsigned id : {ID_M_AutoW1, ID_M_AutoW3, ID_M_Auto, ID_M_StayOnTop}) enable(id, !locked);
    enable(ID_M_AutoW2, !locked && titleLine);
    enable(ID_M_StayOnBottom, !locked && f.bottom != 1);
    enable(ID_M_HalfS, true);
    enable(ID_M_Tomei, !translucent);
    return p;
}

}  // namespace kelup
