#pragma once
// How a text note's context menu looks when it opens: which entries are
// enabled and checked, their captions and the default entry, worked out
// afresh from the note and the program each time.

#include <map>
#include <string>
#include <vector>

namespace kelup {

// What the menu depends on.
struct NoteMenuFacts {
    // The note.
    int keyOpen = 0;                        // an unopened protected note
    int border = 0, lockMode = 0, lineSpace = 20, tomei = 0, alphaValue = 255;
    bool hasSenderAddr = false;
    std::wstring openFName;
    std::vector<std::wstring> lines;        // the text, one entry per paragraph
    double kDate = 0;                       // deadline, 0 none
    int everyDay = 0;
    std::wstring deadlineDate, deadlineTime;   // K_Date in the system's formats
    // The program.
    int logDefault = 1, useLog1 = 1, bottom = 0, dblClickMode = 0;
    int onlyDateCheck = 0, useColor1 = 0, useColor2 = 0, useColor3 = 0;
    bool netDisabled = false, networkOff = false, editorOpen = false, slotsFull = false;
    bool clipboardHasText = false;
};

// Submenus that are enabled or disabled as a whole.
enum class NoteSubmenu { Appearance, LineSpace, Arrange, Register };

struct NoteMenuPlan {
    std::map<unsigned, bool> enabled;        // command id -> enabled
    std::map<unsigned, bool> checked;        // command id -> checked
    std::map<unsigned, std::wstring> captions;
    std::map<NoteSubmenu, bool> submenus;    // enabled
    std::wstring lineSpaceCaption;           // the "行間" submenu
    unsigned defaultEntry = 0;
};

NoteMenuPlan PlanNoteMenu(const NoteMenuFacts& f);

}  // namespace kelup
