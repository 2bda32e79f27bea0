// kltool: drives a running Kelupon from the outside, the way a user or the
// shell would. Runs inside the same Wine prefix (or Windows session) as the
// program. One command per call; the answer is JSON on stdout, exit code 0 on
// success, otherwise a message on stderr and
//   1  bad usage or a failed call,
//   2  window, control or object not found / wait timed out,
//   3  the target did not answer a sent message in time.
//
// Every wait is bounded and every cross-process message goes through
// SendMessageTimeout with SMTO_ABORTIFHUNG, so a busy or hung program never
// hangs the tool.

#include <windows.h>
#include <shlobj.h>
#include <ddeml.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr UINT kQueryMessage = WM_APP + 0x100;  // the program's query channel
constexpr wchar_t kMainClass[] = L"RARADAVE";
constexpr wchar_t kReadyProp[] = L"KelupReady";
constexpr DWORD kDefaultTimeout = 5000;
constexpr DWORD kPollMs = 50;

enum Exit : int { kOk = 0, kFail = 1, kNotFound = 2, kNoAnswer = 3 };

// ---- output -----------------------------------------------------------------

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void writeHandle(DWORD which, const std::string& s) {
    HANDLE h = GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    WriteFile(h, s.data(), DWORD(s.size()), &done, nullptr);
}

void out(const std::string& s) { writeHandle(STD_OUTPUT_HANDLE, s + "\n"); }

struct Failure {
    int code;
    std::wstring message;
};

[[noreturn]] void fail(int code, const std::wstring& message) { throw Failure{code, message}; }

class Json {
public:
    Json& raw(const std::string& s) { sep(); buf_ += s; return *this; }
    Json& str(const std::wstring& w) { sep(); quote(utf8(w)); return *this; }
    Json& num(long long v) { return raw(std::to_string(v)); }
    Json& unum(unsigned long long v) { return raw(std::to_string(v)); }
    Json& boolean(bool v) { return raw(v ? "true" : "false"); }
    Json& null() { return raw("null"); }
    Json& key(const char* k) { sep(); quote(k); buf_ += ':'; pendingValue_ = true; return *this; }
    Json& beginObject() { sep(); buf_ += '{'; first_ = true; return *this; }
    Json& endObject() { buf_ += '}'; first_ = false; return *this; }
    Json& beginArray() { sep(); buf_ += '['; first_ = true; return *this; }
    Json& endArray() { buf_ += ']'; first_ = false; return *this; }
    Json& rect(const RECT& r) {
        beginArray().num(r.left).num(r.top).num(r.right).num(r.bottom);
        return endArray();
    }
    const std::string& text() const { return buf_; }

private:
    void sep() {
        if (pendingValue_) { pendingValue_ = false; first_ = false; return; }
        if (!first_ && !buf_.empty()) buf_ += ',';
        first_ = false;
    }
    void quote(const std::string& s) {
        buf_ += '"';
        for (unsigned char c : s) {
            switch (c) {
                case '"': buf_ += "\\\""; break;
                case '\\': buf_ += "\\\\"; break;
                case '\n': buf_ += "\\n"; break;
                case '\r': buf_ += "\\r"; break;
                case '\t': buf_ += "\\t"; break;
                default:
                    if (c < 0x20) {
                        char esc[8];
                        std::snprintf(esc, sizeof esc, "\\u%04x", c);
                        buf_ += esc;
                    } else {
                        buf_ += char(c);
                    }
            }
        }
        buf_ += '"';
    }
    std::string buf_;
    bool first_ = true;
    bool pendingValue_ = false;
};

// ---- arguments --------------------------------------------------------------

class Args {
public:
    Args(int argc, wchar_t** argv, int from) {
        static const std::set<std::wstring> flags = {L"--visible", L"--post", L"--send", L"--uncheck",
                                                     L"--children", L"--no-children"};
        for (int i = from; i < argc; ++i) {
            std::wstring a = argv[i];
            if (a.rfind(L"--", 0) != 0) fail(kFail, L"unexpected argument: " + a);
            if (flags.count(a)) { values_[a] = L"1"; continue; }
            if (i + 1 >= argc) fail(kFail, L"missing value for " + a);
            values_[a] = argv[++i];
        }
    }
    bool has(const wchar_t* k) const { return values_.count(k) != 0; }
    std::optional<std::wstring> get(const wchar_t* k) const {
        auto it = values_.find(k);
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    std::wstring need(const wchar_t* k) const {
        auto v = get(k);
        if (!v) fail(kFail, std::wstring(L"missing ") + k);
        return *v;
    }
    long long number(const wchar_t* k, long long dflt) const {
        auto v = get(k);
        return v ? parseNumber(*v) : dflt;
    }
    DWORD timeout() const { return DWORD(number(L"--timeout", kDefaultTimeout)); }

    static long long parseNumber(const std::wstring& s) {
        const wchar_t* p = s.c_str();
        bool neg = false;
        if (*p == L'-') { neg = true; ++p; }
        int base = 10;
        if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) { base = 16; p += 2; }
        if (!*p) fail(kFail, L"not a number: " + s);
        wchar_t* end = nullptr;
        unsigned long long v = std::wcstoull(p, &end, base);
        if (*end) fail(kFail, L"not a number: " + s);
        return neg ? -(long long)v : (long long)v;
    }

private:
    std::map<std::wstring, std::wstring> values_;
};

// ---- windows ----------------------------------------------------------------

std::wstring className(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

// The window's own text, read without sending it a message (never blocks).
std::wstring windowText(HWND h) {
    wchar_t buf[1024] = {};
    InternalGetWindowText(h, buf, 1024);
    return buf;
}

// "&Open" and "&&" as the user sees them: "Open", "&".
std::wstring withoutMnemonics(const std::wstring& s) {
    std::wstring r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'&') {
            if (i + 1 < s.size() && s[i + 1] == L'&') { r += L'&'; ++i; }
            continue;
        }
        r += s[i];
    }
    return r;
}

// Japanese captions carry the access key as a suffix: "使う(&U)" reads "使う".
std::wstring withoutAccessSuffix(const std::wstring& s) {
    size_t n = s.size();
    if (n >= 4 && s[n - 4] == L'(' && s[n - 3] == L'&' && s[n - 1] == L')') return s.substr(0, n - 4);
    return s;
}

bool textMatches(const std::wstring& have, const std::wstring& want) {
    if (have == want) return true;
    const std::wstring plain = withoutMnemonics(want);
    return withoutMnemonics(have) == plain || withoutAccessSuffix(have) == plain;
}

DWORD windowPid(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

void emitWindow(Json& j, HWND h, bool topLevel, bool children, int depth = 0) {
    RECT r{}, c{};
    GetWindowRect(h, &r);
    GetClientRect(h, &c);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(h, &pid);
    j.beginObject();
    j.key("hwnd").unum(uintptr_t(h));
    j.key("pid").unum(pid);
    j.key("tid").unum(tid);
    j.key("class").str(className(h));
    j.key("title").str(windowText(h));
    j.key("rect").rect(r);
    j.key("client").rect(c);
    j.key("client_origin").beginArray().num(origin.x).num(origin.y).endArray();
    j.key("style").unum(DWORD(GetWindowLongPtrW(h, GWL_STYLE)));
    j.key("exstyle").unum(DWORD(GetWindowLongPtrW(h, GWL_EXSTYLE)));
    j.key("visible").boolean(IsWindowVisible(h) != FALSE);
    j.key("enabled").boolean(IsWindowEnabled(h) != FALSE);
    if (topLevel) {
        j.key("owner").unum(uintptr_t(GetWindow(h, GW_OWNER)));
    } else {
        j.key("id").num(static_cast<long long>(GetWindowLongPtrW(h, GWLP_ID)));
        j.key("parent").unum(uintptr_t(GetParent(h)));
    }
    if (children) {
        j.key("children").beginArray();
        if (depth < 32) {
            for (HWND k = GetWindow(h, GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT))
                emitWindow(j, k, false, true, depth + 1);
        }
        j.endArray();
    }
    j.endObject();
}

std::string windowJson(HWND h, bool children = true) {
    Json j;
    emitWindow(j, h, GetParent(h) == nullptr || (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) == 0, children);
    return j.text();
}

struct Filter {
    std::optional<std::wstring> title, cls;
    std::optional<DWORD> pid;
    bool visibleOnly = false;

    static Filter from(const Args& a) {
        Filter f;
        f.title = a.get(L"--title");
        f.cls = a.get(L"--class");
        if (a.has(L"--pid")) f.pid = DWORD(a.number(L"--pid", 0));
        f.visibleOnly = a.has(L"--visible");
        return f;
    }
    bool matches(HWND h) const {
        if (cls && className(h) != *cls) return false;
        if (title && windowText(h) != *title) return false;
        if (pid && windowPid(h) != *pid) return false;
        if (visibleOnly && !IsWindowVisible(h)) return false;
        return true;
    }
    std::wstring describe() const {
        std::wstring d;
        if (title) d += L" title=\"" + *title + L"\"";
        if (cls) d += L" class=\"" + *cls + L"\"";
        if (pid) d += L" pid=" + std::to_wstring(*pid);
        if (visibleOnly) d += L" visible";
        return d.empty() ? L" (any)" : d;
    }
};

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> all;
    EnumWindows([](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> findTopLevel(const Filter& f) {
    std::vector<HWND> hits;
    for (HWND h : topLevelWindows())
        if (f.matches(h)) hits.push_back(h);
    return hits;
}

HWND waitTopLevel(const Filter& f, DWORD timeout) {
    const ULONGLONG end = GetTickCount64() + timeout;
    for (;;) {
        auto hits = findTopLevel(f);
        if (!hits.empty()) return hits.front();
        if (GetTickCount64() >= end) return nullptr;
        Sleep(kPollMs);
    }
}

// --hwnd, or a top-level window by --title/--class/--pid, waited for up to --timeout.
HWND targetWindow(const Args& a) {
    if (auto h = a.get(L"--hwnd")) {
        HWND w = reinterpret_cast<HWND>(uintptr_t(Args::parseNumber(*h)));
        if (!IsWindow(w)) fail(kNotFound, L"no window " + *h);
        return w;
    }
    Filter f = Filter::from(a);
    if (!f.title && !f.cls) fail(kFail, L"give --hwnd, --title or --class");
    HWND w = waitTopLevel(f, a.timeout());
    if (!w) fail(kNotFound, L"no top-level window" + f.describe());
    return w;
}

void collectDescendants(HWND parent, std::vector<HWND>& out, int depth = 0) {
    if (depth > 32) return;
    for (HWND k = GetWindow(parent, GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT)) {
        out.push_back(k);
        collectDescendants(k, out, depth + 1);
    }
}

// A control under `top` whose text is `text`; "Button" controls first.
HWND findControl(HWND top, const std::wstring& text) {
    std::vector<HWND> all;
    collectDescendants(top, all);
    HWND other = nullptr;
    for (HWND k : all) {
        if (!textMatches(windowText(k), text)) continue;
        if (_wcsicmp(className(k).c_str(), L"Button") == 0) return k;
        if (!other) other = k;
    }
    return other;
}

// Waits for the top-level window, then for the control inside it.
HWND targetControl(const Args& a, HWND* topOut = nullptr) {
    const ULONGLONG end = GetTickCount64() + a.timeout();
    const std::wstring text = a.need(L"--button");
    HWND top = targetWindow(a);
    for (;;) {
        if (HWND c = findControl(top, text)) {
            if (topOut) *topOut = top;
            return c;
        }
        if (!IsWindow(top)) fail(kNotFound, L"window closed before its control \"" + text + L"\" appeared");
        if (GetTickCount64() >= end) fail(kNotFound, L"no control \"" + text + L"\" in window " + windowText(top));
        Sleep(kPollMs);
    }
}

LRESULT sendTimeout(HWND h, UINT msg, WPARAM w, LPARAM l, DWORD timeout, bool* answered = nullptr) {
    DWORD_PTR result = 0;
    SetLastError(0);
    LRESULT ok = SendMessageTimeoutW(h, msg, w, l, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout, &result);
    if (answered) {
        *answered = ok != 0;
        return LRESULT(result);
    }
    if (!ok) {
        DWORD err = GetLastError();
        wchar_t what[96];
        swprintf(what, 96, L"message 0x%04X got no answer (error %lu)", msg, err);
        fail(kNoAnswer, what);
    }
    return LRESULT(result);
}

// Presses a control as a user would: BM_CLICK for real buttons (ordinary,
// owner-drawn, radio, check box: the control does its own state change and
// notifies its parent), WM_COMMAND/BN_CLICKED to the parent for anything else.
// Posted, because a click often opens a modal window.
std::string press(HWND c, const std::wstring& via) {
    if (!IsWindowVisible(c)) fail(kFail, L"control \"" + windowText(c) + L"\" is not visible");
    if (!IsWindowEnabled(c)) fail(kFail, L"control \"" + windowText(c) + L"\" is disabled");
    bool isButton = _wcsicmp(className(c).c_str(), L"Button") == 0;
    std::wstring how = via.empty() ? (isButton ? L"bmclick" : L"command") : via;
    BOOL ok;
    if (how == L"bmclick") {
        ok = PostMessageW(c, BM_CLICK, 0, 0);
    } else if (how == L"command") {
        int id = int(GetWindowLongPtrW(c, GWLP_ID));
        ok = PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c));
    } else {
        fail(kFail, L"--via is bmclick or command");
    }
    if (!ok) fail(kFail, L"PostMessage failed");
    return utf8(how);
}

// ---- commands ---------------------------------------------------------------

int cmdWindows(const Args& a) {
    Filter f = Filter::from(a);
    bool children = !a.has(L"--no-children");
    Json j;
    j.beginArray();
    for (HWND h : findTopLevel(f)) emitWindow(j, h, true, children);
    j.endArray();
    out(j.text());
    return kOk;
}

// One window (top-level or control) by --hwnd, or the first top-level match.
int cmdInfo(const Args& a) {
    out(windowJson(targetWindow(a), !a.has(L"--no-children")));
    return kOk;
}

int cmdWaitWindow(const Args& a) {
    Filter f = Filter::from(a);
    if (!f.title && !f.cls) fail(kFail, L"give --title or --class");
    HWND h = waitTopLevel(f, a.timeout());
    if (!h) fail(kNotFound, L"timed out waiting for window" + f.describe());
    out(windowJson(h));
    return kOk;
}

int cmdWaitGone(const Args& a) {
    Filter f = Filter::from(a);
    if (!f.title && !f.cls) fail(kFail, L"give --title or --class");
    const ULONGLONG end = GetTickCount64() + a.timeout();
    while (!findTopLevel(f).empty()) {
        if (GetTickCount64() >= end) fail(kNotFound, L"window still there" + f.describe());
        Sleep(kPollMs);
    }
    out("{\"gone\":true}");
    return kOk;
}

int cmdClick(const Args& a) {
    HWND top = nullptr;
    HWND c = targetControl(a, &top);
    std::string how = press(c, a.get(L"--via").value_or(L""));
    Json j;
    j.beginObject().key("clicked").unum(uintptr_t(c)).key("id").num(static_cast<long long>(GetWindowLongPtrW(c, GWLP_ID)));
    j.key("text").str(windowText(c)).key("via").str(std::wstring(how.begin(), how.end())).endObject();
    out(j.text());
    return kOk;
}

// Clicks a radio button or check box until it shows the wanted state.
int cmdCheck(const Args& a) {
    HWND c = targetControl(a);
    const bool want = !a.has(L"--uncheck");
    auto state = [&] { return sendTimeout(c, BM_GETCHECK, 0, 0, a.timeout()) == BST_CHECKED; };
    bool clicked = false;
    if (state() != want) {
        press(c, a.get(L"--via").value_or(L""));
        clicked = true;
        const ULONGLONG end = GetTickCount64() + a.timeout();
        while (state() != want) {
            if (GetTickCount64() >= end) fail(kNotFound, L"control \"" + windowText(c) + L"\" did not change state");
            Sleep(kPollMs);
        }
    }
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(c)).key("checked").boolean(want).key("clicked").boolean(clicked);
    out(j.endObject().text());
    return kOk;
}

int cmdSend(const Args& a) {
    HWND h = targetWindow(a);
    UINT msg = UINT(Args::parseNumber(a.need(L"--msg")));
    WPARAM w = WPARAM(a.number(L"--wparam", 0));
    LPARAM l = LPARAM(a.number(L"--lparam", 0));
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(h));
    if (a.has(L"--post")) {
        if (!PostMessageW(h, msg, w, l)) fail(kFail, L"PostMessage failed");
        j.key("posted").boolean(true);
    } else {
        j.key("result").num(sendTimeout(h, msg, w, l, a.timeout()));
    }
    out(j.endObject().text());
    return kOk;
}

HWND mainWindow(const Args& a, DWORD timeout) {
    Filter f;
    f.cls = kMainClass;
    if (a.has(L"--pid")) f.pid = DWORD(a.number(L"--pid", 0));
    HWND h = waitTopLevel(f, timeout);
    if (!h) fail(kNotFound, L"no RARADAVE window");
    return h;
}

int cmdQuery(const Args& a) {
    long long id = Args::parseNumber(a.need(L"--id"));
    HWND h = mainWindow(a, a.timeout());
    LRESULT v = sendTimeout(h, kQueryMessage, WPARAM(id), 0, a.timeout());
    Json j;
    j.beginObject().key("id").num(id).key("value").num(v).endObject();
    out(j.text());
    return kOk;
}

int cmdWaitReady(const Args& a) {
    const ULONGLONG end = GetTickCount64() + a.timeout();
    bool seen = false;
    for (;;) {
        Filter f;
        f.cls = kMainClass;
        if (a.has(L"--pid")) f.pid = DWORD(a.number(L"--pid", 0));
        for (HWND h : findTopLevel(f)) {
            seen = true;
            if (GetPropW(h, kReadyProp)) {
                out(windowJson(h));
                return kOk;
            }
        }
        if (GetTickCount64() >= end)
            fail(kNotFound, seen ? L"RARADAVE window exists but is not ready" : L"no RARADAVE window");
        Sleep(kPollMs);
    }
}

int cmdClose(const Args& a) {
    HWND h = targetWindow(a);
    if (!PostMessageW(h, WM_CLOSE, 0, 0)) fail(kFail, L"PostMessage failed");
    out("{\"posted\":true,\"hwnd\":" + std::to_string(uintptr_t(h)) + "}");
    return kOk;
}

// Log-off as Windows does it: ask, then tell. The program may end while it
// handles WM_ENDSESSION, so a vanished window is a normal outcome.
int cmdEndSession(const Args& a) {
    HWND h = targetWindow(a);
    const DWORD timeout = DWORD(a.number(L"--timeout", 30000));
    bool answered = false;
    LRESULT q = sendTimeout(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, timeout, &answered);
    if (!answered && IsWindow(h)) fail(kNoAnswer, L"WM_QUERYENDSESSION got no answer");
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(h)).key("queryendsession");
    if (answered) j.num(q); else j.null();
    bool done = false;
    if (IsWindow(h)) sendTimeout(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, timeout, &done);
    if (!done && IsWindow(h)) fail(kNoAnswer, L"WM_ENDSESSION got no answer");
    j.key("endsession").str(done ? L"answered" : L"window gone");
    out(j.endObject().text());
    return kOk;
}

int cmdCommand(const Args& a) {
    HWND h = targetWindow(a);
    WPARAM id = WPARAM(Args::parseNumber(a.need(L"--id")));
    LPARAM l = LPARAM(a.number(L"--lparam", 0));
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(h));
    if (a.has(L"--send")) {
        j.key("result").num(sendTimeout(h, WM_COMMAND, id, l, a.timeout()));
    } else {
        if (!PostMessageW(h, WM_COMMAND, id, l)) fail(kFail, L"PostMessage failed");
        j.key("posted").boolean(true);
    }
    out(j.endObject().text());
    return kOk;
}

int cmdText(const Args& a) {
    HWND h = targetWindow(a);
    DWORD timeout = a.timeout();
    LRESULT len = sendTimeout(h, WM_GETTEXTLENGTH, 0, 0, timeout);
    std::wstring buf(size_t(len) + 1, L'\0');
    LRESULT got = sendTimeout(h, WM_GETTEXT, WPARAM(buf.size()), reinterpret_cast<LPARAM>(buf.data()), timeout);
    buf.resize(size_t(got < 0 ? 0 : got));
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(h)).key("text").str(buf).endObject();
    out(j.text());
    return kOk;
}

int cmdSetText(const Args& a) {
    HWND h = targetWindow(a);
    std::wstring text = a.need(L"--text");
    LRESULT r = sendTimeout(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), a.timeout());
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(h)).key("result").num(r).endObject();
    out(j.text());
    return kOk;
}

int cmdActivate(const Args& a) {
    HWND h = targetWindow(a);
    BOOL fg = SetForegroundWindow(h);
    BringWindowToTop(h);
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(h)).key("foreground").boolean(fg != FALSE).endObject();
    out(j.text());
    return kOk;
}

// Types text into the foreground window as keyboard input: each character
// as a Unicode key press and release, a line break as the Enter key.
int cmdType(const Args& a) {
    std::wstring text = a.need(L"--text");
    std::vector<INPUT> in;
    auto key = [&](WORD vk, WORD scan, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.wScan = scan;
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    for (size_t k = 0; k < text.size(); ++k) {
        wchar_t c = text[k];
        if (c == L'\\' && k + 1 < text.size() && text[k + 1] == L'n') {
            ++k;
            c = L'\n';
        } else if (c == L'\\' && k + 1 < text.size() && text[k + 1] == L'e') {
            // "\e": the Esc key.
            ++k;
            key(VK_ESCAPE, 0, 0);
            key(VK_ESCAPE, 0, KEYEVENTF_KEYUP);
            continue;
        }
        if (c == L'\n') {
            key(VK_RETURN, 0, 0);
            key(VK_RETURN, 0, KEYEVENTF_KEYUP);
        } else {
            key(0, c, KEYEVENTF_UNICODE);
            key(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
        }
    }
    // One event at a time with a pause, as a person types.
    UINT sent = 0;
    for (INPUT& i : in) {
        sent += SendInput(1, &i, sizeof(INPUT));
        Sleep(5);
    }
    Json j;
    j.beginObject().key("events").num(static_cast<long long>(sent)).endObject();
    out(j.text());
    return sent == in.size() ? kOk : kFail;
}

int cmdProp(const Args& a) {
    HWND h = targetWindow(a);
    HANDLE v = GetPropW(h, a.need(L"--name").c_str());
    Json j;
    j.beginObject().key("hwnd").unum(uintptr_t(h)).key("value").unum(uintptr_t(v)).endObject();
    out(j.text());
    return kOk;
}

int cmdMutex(const Args& a) {
    std::wstring name = a.need(L"--name");
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    Json j;
    j.beginObject().key("name").str(name).key("exists").boolean(m != nullptr).endObject();
    if (m) CloseHandle(m);
    out(j.text());
    return kOk;
}

// Owns a named mutex for --ms milliseconds (or until killed), e.g. to stand in
// for another running instance. Prints one line as soon as it holds it.
int cmdHoldMutex(const Args& a) {
    std::wstring name = a.need(L"--name");
    HANDLE m = CreateMutexW(nullptr, TRUE, name.c_str());
    if (!m) fail(kFail, L"CreateMutex failed");
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    Json j;
    j.beginObject().key("name").str(name).key("already_existed").boolean(existed).endObject();
    out(j.text());
    Sleep(DWORD(a.number(L"--ms", 600000)));
    CloseHandle(m);
    return kOk;
}

// Brings the session's desktop up and keeps it up. Under Wine the first
// window of a session starts the desktop process and waits ten seconds for
// it; a process whose first window comes later than that on a busy machine
// is left without a display driver and can make no window at all. So the
// bench makes one window here first (exit 1 when even that failed: run the
// command again), then stays, as a user of the desktop, until --ms pass or
// it is ended, and programs started meanwhile find the desktop ready.
int cmdHoldDesktop(const Args& a) {
    HWND probe = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"kltool", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!probe) fail(kFail, L"no window could be made: the desktop is not ready");
    DestroyWindow(probe);
    Json j;
    j.beginObject().key("ready").boolean(true).endObject();
    out(j.text());
    Sleep(DWORD(a.number(L"--ms", INFINITE)));
    return kOk;
}

// Puts --text on the clipboard as Unicode text (the system offers it as
// CF_TEXT too), replacing what was there.
int cmdClipText(const Args& a) {
    std::wstring text = a.need(L"--text");
    // --repeat N: the text N times over, for clipboards larger than a command line.
    if (a.has(L"--repeat")) {
        long long n = a.number(L"--repeat", 1);
        if (n < 1 || n > 100000000 / std::max<long long>(1, (long long)text.size())) fail(kFail, L"bad --repeat");
        std::wstring one = text;
        text.reserve(one.size() * size_t(n));
        for (long long i = 1; i < n; ++i) text += one;
    }
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) fail(kFail, L"GlobalAlloc failed");
    memcpy(GlobalLock(mem), text.c_str(), bytes);
    GlobalUnlock(mem);
    // Another process may hold the clipboard for a moment.
    bool opened = false;
    for (DWORD waited = 0; !(opened = OpenClipboard(nullptr)) && waited < a.timeout(); waited += 50) Sleep(50);
    if (!opened) {
        GlobalFree(mem);
        fail(kNotFound, L"the clipboard stayed open elsewhere");
    }
    EmptyClipboard();
    bool set = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    if (!set) GlobalFree(mem);
    CloseClipboard();
    if (!set) fail(kFail, L"SetClipboardData failed");
    Json j;
    j.beginObject().key("chars").unum(text.size()).endObject();
    out(j.text());
    return kOk;
}

// A bitmap file's picture on the clipboard as a device-independent bitmap
// (the system offers it as CF_BITMAP too), as a paint program copies one.
int cmdClipPicture(const Args& a) {
    std::wstring file = a.need(L"--file");
    HANDLE f = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) fail(kNotFound, L"cannot open " + file);
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    std::string bytes(size_t(size.QuadPart > 0 && size.QuadPart < (64 << 20) ? size.QuadPart : 0), '\0');
    DWORD got = 0;
    bool read = !bytes.empty() && ReadFile(f, bytes.data(), DWORD(bytes.size()), &got, nullptr) && got == bytes.size();
    CloseHandle(f);
    if (!read || bytes.size() <= sizeof(BITMAPFILEHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
        fail(kFail, L"not a bitmap file: " + file);
    size_t dib = bytes.size() - sizeof(BITMAPFILEHEADER);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, dib);
    if (!mem) fail(kFail, L"GlobalAlloc failed");
    memcpy(GlobalLock(mem), bytes.data() + sizeof(BITMAPFILEHEADER), dib);
    GlobalUnlock(mem);
    bool opened = false;
    for (DWORD waited = 0; !(opened = OpenClipboard(nullptr)) && waited < a.timeout(); waited += 50) Sleep(50);
    if (!opened) {
        GlobalFree(mem);
        fail(kNotFound, L"the clipboard stayed open elsewhere");
    }
    EmptyClipboard();
    bool set = SetClipboardData(CF_DIB, mem) != nullptr;
    if (!set) GlobalFree(mem);
    CloseClipboard();
    if (!set) fail(kFail, L"SetClipboardData failed");
    Json j;
    j.beginObject().key("bytes").unum(dib).endObject();
    out(j.text());
    return kOk;
}

// The colours a window shows on the screen, the most frequent first, as
// Windows colour values (red in the low byte): --top of them (default 4).
int cmdColours(const Args& a) {
    HWND h = targetWindow(a);
    RECT r;
    if (!GetWindowRect(h, &r) || r.right <= r.left || r.bottom <= r.top) fail(kFail, L"the window has no area");
    int w = r.right - r.left, ht = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -ht;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
    std::map<unsigned, size_t> counts;
    const unsigned* px = static_cast<const unsigned*>(bits);
    for (size_t i = 0; i < size_t(w) * size_t(ht); ++i) {
        unsigned v = px[i] & 0xFFFFFF;   // 0x00RRGGBB in a DIB
        ++counts[((v & 0xFF) << 16) | (v & 0xFF00) | (v >> 16)];
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    std::vector<std::pair<size_t, unsigned>> order;
    for (auto [colour, n] : counts) order.push_back({n, colour});
    std::sort(order.rbegin(), order.rend());
    size_t top = size_t(a.number(L"--top", 4));
    Json j;
    j.beginArray();
    for (size_t i = 0; i < order.size() && i < top; ++i)
        j.beginObject().key("colour").unum(order[i].second).key("count").unum(order[i].first).endObject();
    j.endArray();
    out(j.text());
    return kOk;
}

// Folders and code page as a program in this session sees them.
// A DDE client: connects to the service and topic and sends one execute
// transaction. The text goes in the ANSI code page; "\r", "\n" and "\\" in
// --exec stand for CR, LF and a backslash. --exec-file sends a file's bytes.
std::string toAnsi(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

HDDEDATA CALLBACK DdeClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

int cmdDde(const Args& a) {
    std::string data;
    if (auto file = a.get(L"--exec-file")) {
        HANDLE h = CreateFileW(file->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) fail(kFail, L"cannot open " + *file);
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) data.append(buf, got);
        CloseHandle(h);
    } else {
        std::wstring text, raw = a.need(L"--exec");
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == L'\\' && i + 1 < raw.size()) {
                wchar_t n = raw[++i];
                text += n == L'r' ? L'\r' : n == L'n' ? L'\n' : n;
            } else {
                text += raw[i];
            }
        }
        data = toAnsi(text);
    }
    std::string service = toAnsi(a.get(L"--service").value_or(L"Kelupon"));
    std::string topic = toAnsi(a.get(L"--topic").value_or(L"DdeServerConv1"));
    DWORD inst = 0;
    if (DdeInitializeA(&inst, DdeClientCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) fail(kFail, L"DdeInitialize");
    HSZ hs = service.empty() ? nullptr : DdeCreateStringHandleA(inst, service.c_str(), CP_WINANSI);
    HSZ ht = DdeCreateStringHandleA(inst, topic.c_str(), CP_WINANSI);
    HCONV conv = DdeConnect(inst, hs, ht, nullptr);
    bool connected = conv != nullptr, ack = false;
    if (conv) {
        data.push_back('\0');
        DWORD result = 0;
        HDDEDATA r = DdeClientTransaction(reinterpret_cast<LPBYTE>(data.data()), DWORD(data.size()), conv, nullptr,
                                          0, XTYP_EXECUTE, a.timeout(), &result);
        ack = r != nullptr && (result & DDE_FACK);
        DdeDisconnect(conv);
    }
    if (hs) DdeFreeStringHandle(inst, hs);
    DdeFreeStringHandle(inst, ht);
    DdeUninitialize(inst);
    Json j;
    j.beginObject().key("connected").boolean(connected).key("ack").boolean(ack).endObject();
    out(j.text());
    return connected ? kOk : kNotFound;
}

int cmdFolders(const Args&) {
    auto folder = [](int csidl) {
        wchar_t buf[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf);
        return std::wstring(buf);
    };
    wchar_t temp[MAX_PATH] = {}, win[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    GetWindowsDirectoryW(win, MAX_PATH);
    Json j;
    j.beginObject();
    j.key("appdata").str(folder(CSIDL_APPDATA));
    j.key("local_appdata").str(folder(CSIDL_LOCAL_APPDATA));
    j.key("documents").str(folder(CSIDL_PERSONAL));
    j.key("profile").str(folder(CSIDL_PROFILE));
    j.key("temp").str(temp);
    j.key("windows").str(win);
    j.key("acp").unum(GetACP());
    j.key("oemcp").unum(GetOEMCP());
    j.endObject();
    out(j.text());
    return kOk;
}

const char kUsage[] =
    "usage: kltool COMMAND [options]   (numbers: decimal or 0x hex; times in ms)\n"
    "  windows      [--pid N] [--class C] [--title T] [--visible] [--no-children]\n"
    "  info         (--hwnd H | --title T | --class C) [--no-children]\n"
    "  wait-window  --title T | --class C [--pid N] [--visible] [--timeout MS]\n"
    "  wait-gone    --title T | --class C [--pid N] [--timeout MS]\n"
    "  click        (--title T | --class C | --hwnd H) --button TEXT [--via bmclick|command] [--timeout MS]\n"
    "  check        (--title T | --class C | --hwnd H) --button TEXT [--uncheck] [--timeout MS]\n"
    "  send         (--class C | --title T | --hwnd H) --msg M [--wparam W] [--lparam L] [--post] [--timeout MS]\n"
    "  query        --id N [--pid N] [--timeout MS]\n"
    "  wait-ready   [--pid N] [--timeout MS]\n"
    "  close        (--class C | --title T | --hwnd H)\n"
    "  endsession   (--class C | --title T | --hwnd H) [--timeout MS]\n"
    "  command      (--class C | --title T | --hwnd H) --id N [--lparam L] [--send]\n"
    "  text         (--hwnd H | --title T | --class C)\n"
    "  settext      (--hwnd H | --title T | --class C) --text T\n"
    "  activate     (--hwnd H | --title T | --class C)\n"
    "  prop         (--hwnd H | --title T | --class C) --name P\n"
    "  mutex        --name N\n"
    "  hold-mutex   --name N [--ms MS]\n"
    "  hold-desktop [--ms MS]\n"
    "  folders\n"
    "  clip-text    --text T [--repeat N] [--timeout MS]\n"
    "  clip-picture --file WINPATH (a .bmp file) [--timeout MS]\n"
    "  dde          --exec TEXT | --exec-file WINPATH [--service S] [--topic T] [--timeout MS]\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (argc < 2) {
        writeHandle(STD_ERROR_HANDLE, kUsage);
        return kFail;
    }
    static const std::map<std::wstring, int (*)(const Args&)> commands = {
        {L"windows", cmdWindows},       {L"wait-window", cmdWaitWindow}, {L"wait-gone", cmdWaitGone},
        {L"click", cmdClick},           {L"check", cmdCheck},            {L"send", cmdSend},
        {L"query", cmdQuery},           {L"wait-ready", cmdWaitReady},   {L"close", cmdClose},
        {L"endsession", cmdEndSession}, {L"command", cmdCommand},        {L"text", cmdText},
        {L"settext", cmdSetText},       {L"activate", cmdActivate},       {L"type", cmdType},      {L"prop", cmdProp},
        {L"mutex", cmdMutex},           {L"hold-mutex", cmdHoldMutex},   {L"hold-desktop", cmdHoldDesktop},   {L"folders", cmdFolders},
        {L"info", cmdInfo},             {L"dde", cmdDde},                {L"clip-text", cmdClipText}, {L"colours", cmdColours},
        {L"clip-picture", cmdClipPicture},
    };
    auto it = commands.find(argv[1]);
    if (it == commands.end()) {
        writeHandle(STD_ERROR_HANDLE, "kltool: unknown command " + utf8(argv[1]) + "\n" + kUsage);
        return kFail;
    }
    try {
        Args args(argc, argv, 2);
        return it->second(args);
    } catch (const Failure& f) {
        writeHandle(STD_ERROR_HANDLE, "kltool " + utf8(argv[1]) + ": " + utf8(f.message) + "\n");
        return f.code;
    }
}
