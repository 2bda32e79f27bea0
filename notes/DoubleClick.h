#pragma once
// What a double-click on a text note does: the first rule that matches acts.

namespace kelup {

enum class DblClickAction {
    Hide,          // hide into the main menu ("非表示")
    Edit,          // edit in the compose editor
    PeelLog,       // peel with a log entry
    OpenFile,      // open the associated file
    AutoSize,      // auto-size; `detail` says how (AutoSizeKind), -1 for not at all
    DirectEdit,    // edit in place
    CopyLine,      // copy line `detail` (1..9) of the text
    FocusAndEdit,  // bring the note forward and edit in the compose editor
};

// How an auto-size is done.
enum AutoSizeKind { kAutoTitleLine = 0, kAutoLongest = 1, kAutoDefaultWidth = 2, kAutoVertical = 3 };

struct DblClickState {
    bool alt = false, shift = false, ctrl = false;   // the one modifier held alone
    unsigned downKey = 0;                            // virtual key held, 0 none
    int dblClickMode = 0;                            // [Option] DblClickMode
    bool hasOpenFile = false;                        // OpenFName is set
    int keyOpen = 0;                                 // an unopened protected note
    bool edgeHit = false;                            // the press was on the frame
    int edgeDblClick = 0;                            // [Option] EdgeDblClick
    int lockMode = 0;
    int autoSizeSelect = 4;                          // [Option] AutoSizeSelect
};

struct DblClickChoice {
    DblClickAction action;
    int detail = 0;
};

DblClickChoice ChooseDoubleClick(const DblClickState& s);

}  // namespace kelup
