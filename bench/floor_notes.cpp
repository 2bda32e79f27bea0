// What Wine asks for showing N text notes, without any of Kelupon's own work:
// N borderless tool windows owned by one hidden window, each filled by a
// read-only rich edit that loads the same RTF file, then the ready mark that
// `kltool wait-ready` looks for. notes_bench.py starts it beside Kelupon.exe.
//
//     floor_notes_bench.exe N FILE.rtf [plain]
//
// "plain" makes the same windows without rich edits (window creation alone).
// The hidden window has the main window's class name, holds the "KelupReady"
// property and answers the ready query, so the benchmark's wait and close work
// on it unchanged; WM_CLOSE ends the program.

#include <windows.h>
#include <richedit.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr UINT kQueryMessage = WM_APP + 0x100;  // wParam 0: ready?
constexpr int kNoteWidth = 272;
constexpr int kNoteHeight = 110;

LRESULT CALLBACK MainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case kQueryMessage: return w == 0 && GetPropW(h, L"KelupReady") ? 1 : 0;
        case WM_CLOSE: DestroyWindow(h); return 0;
        case WM_DESTROY:
            RemovePropW(h, L"KelupReady");
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

LRESULT CALLBACK NoteProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_SIZE) {
        if (HWND re = GetWindow(h, GW_CHILD)) MoveWindow(re, 0, 0, LOWORD(l), HIWORD(l), TRUE);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

bool ReadFileBytes(const wchar_t* path, std::string& out) {
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart < (1 << 30);
    if (ok) {
        out.resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = out.empty() || (ReadFile(f, out.data(), DWORD(out.size()), &got, nullptr) && got == out.size());
    }
    CloseHandle(f);
    return ok;
}

struct InStream {
    const std::string* data;
    size_t pos = 0;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* read) {
    auto* in = reinterpret_cast<InStream*>(cookie);
    size_t n = in->data->size() - in->pos;
    if (n > size_t(cb)) n = size_t(cb);
    memcpy(buf, in->data->data() + in->pos, n);
    in->pos += n;
    *read = LONG(n);
    return 0;
}

// To standard error, not a message box: nobody is there to close one.
int Fail(const char* what) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), what, DWORD(strlen(what)), &written, nullptr);
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), "\n", 1, &written, nullptr);
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return Fail("usage: floor_notes_bench N FILE.rtf [plain]");
    const int count = _wtoi(argv[1]);
    const bool plain = argc > 3 && wcscmp(argv[3], L"plain") == 0;
    std::string rtf;
    if (!ReadFileBytes(argv[2], rtf)) return Fail("cannot read the RTF file");
    LocalFree(argv);
    if (!plain && !LoadLibraryW(L"msftedit.dll")) return Fail("cannot load msftedit.dll");

    WNDCLASSW wc{};
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = L"RARADAVE";
    RegisterClassW(&wc);
    wc.lpfnWndProc = NoteProc;
    wc.style = CS_DBLCLKS;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"FloorNote";
    RegisterClassW(&wc);

    HWND main = CreateWindowExW(0, L"RARADAVE", L"floor_notes_bench", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst,
                                nullptr);
    if (!main) return Fail("cannot create the main window");

    for (int i = 0; i < count; ++i) {
        // Where notes_bench.py puts the program's notes: rows of 32 overlapping notes.
        const int x = 10 + (i % 32) * 36, y = 10 + (i / 32) * 110;
        HWND note = CreateWindowExW(WS_EX_TOOLWINDOW, L"FloorNote", L"", WS_POPUP | WS_CLIPCHILDREN, x, y, kNoteWidth,
                                    kNoteHeight, main, nullptr, inst, nullptr);
        if (!note) return Fail("cannot create a note window");
        if (!plain) {
            HWND re = CreateWindowExW(0, L"RICHEDIT50W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0,
                                      0, kNoteWidth, kNoteHeight, note, reinterpret_cast<HMENU>(1), inst, nullptr);
            if (!re) return Fail("cannot create a rich edit");
            InStream in{&rtf};
            EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&in), 0, StreamIn};
            SendMessageW(re, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
        }
        ShowWindow(note, SW_SHOWNOACTIVATE);
    }
    SetPropW(main, L"KelupReady", reinterpret_cast<HANDLE>(1));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
