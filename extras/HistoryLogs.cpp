#include "extras/HistoryLogs.h"

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "app/Shell.h"
#include "app/ShowMsg.h"
#include "base/FileOps.h"
#include "base/Handles.h"
#include "net/NetLogText.h"

namespace kelup {

namespace {

// Starts the editor on `file`; a command line too long for the editor is
// refused whole rather than cut in the middle of the path.
void OpenInEditor(Shell& shell, const std::wstring& file) {
    HWND owner = shell.MainHandle();
    auto line = EditorCommandLine(shell.Config().Editer, file);
    bool started = false;
    if (line) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION pi{};
        std::wstring buf = *line;
        started = CreateProcessW(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
        if (started) {
            AutoHandle process(pi.hProcess), thread(pi.hThread);
        }
    }
    if (!started) ShowMsg(L"エディタを開けません", MB_ICONERROR, owner);
}

}  // namespace

void M_NLOGClick(Shell& shell) {
    const std::wstring& log = shell.Path().NetLogPath;
    if (!FileExists(log)) {
        ShowMsg(L"ログファイルはまだ作成されていません", MB_ICONWARNING, shell.MainHandle());
        return;
    }
    OpenInEditor(shell, log);
}

void M_Log2Click(Shell& shell) {
    static const wchar_t kFilter[] = L"log files (*.log)\0*.log\0すべてのファイル (*.*)\0*.*\0";
    wchar_t file[MAX_PATH] = L"*.log";
    std::wstring folder = shell.Path().LogDir;
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = shell.MainHandle();
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrDefExt = L"log";
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return;
    OpenInEditor(shell, file);
}

}  // namespace kelup
