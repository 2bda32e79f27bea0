#pragma once
// The history window "履歴": a running transcript of what was sent and
// received this run, in the colour of its direction. One for the whole
// run, made hidden at start; the main menu shows and hides it. At the end
// it writes its settings to [HISTBOX], the transcript to "HISTORY.RTF" and
// what was said to the day file YYYYMMDD.log of the log folder.

#include <windows.h>
#include <richedit.h>

#include <string>
#include <utility>
#include <vector>

#include "app/IniFile.h"
#include "base/Handles.h"
#include "base/Window.h"
#include "net/Transcript.h"

namespace kelup {

class Shell;

inline constexpr wchar_t kHistBoxClass[] = L"THistBox";

class THistBox final : public BaseWindow<THistBox>, public Transcript {
public:
    explicit THistBox(Shell& shell);
    ~THistBox();

    // FormCreate: made with the place and size of [HISTBOX], shown when
    // OPEN is 1.
    void Create();
    // The main menu's "履歴窓を開く".
    void SetShown(bool show);
    // FormClose, once, at the program's end: settings, then the two files.
    void FormClose();

    // --- the Transcript ---------------------------------------------------
    void AddLines(const std::vector<std::wstring>& lines, Side side) override;
    bool Shown() const override;

    // --- the window's commands --------------------------------------------
    void btnClearClick();
    void M_ClearClick() { btnClearClick(); }
    void M_CopyClick();
    void M_SimpleClick();
    void M_FontClick();
    void M_StrColSClick();
    void M_StrColRClick();
    void M_HistBkColorClick();
    void M_LastClick();
    void PopupMenu1Popup();

    HWND RichEdit1() const { return richEdit1_; }
    HWND Clear() const { return btnClear_; }
    HMENU PopupMenu1() const { return popup_; }
    bool SimpleMode() const { return SimpleFG != 0; }
    COLORREF SentColour() const { return COLORREF(FONTCOLORS); }
    COLORREF ReceivedColour() const { return COLORREF(FONTCOLORR); }

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    void Layout();
    void ApplyFont();
    bool OnKey(WPARAM vk);
    void ShowPopup(POINT screen);
    void OnCommand(int id);
    void OnLink(const ENLINK& link);
    void WriteDayLog();
    int Scaled(int px) const;
    static LRESULT CALLBACK ChildProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

    Shell& shell_;
    IniFile ini_{L""};

    // [HISTBOX] values in force.
    int SIMPLE = 0, OPEN = 0;
    int BKCOLOR = 16777215, FONTSIZE = 10, FONTCOLORS = 16711680, FONTCOLORR = 0;
    std::wstring FONTNAME;
    int SimpleFG = 0;
    bool closed_ = false;
    // Entries written before the window was made, added once it is.
    std::vector<std::pair<std::vector<std::wstring>, Side>> pending_;

    HWND richEdit1_ = nullptr;
    HWND btnClear_ = nullptr;       // fills Panel1, the bottom strip
    bool panelShown_ = true;
    AutoMenu menu_;
    HMENU popup_ = nullptr;
    AutoFont uiFont_;
};

}  // namespace kelup
