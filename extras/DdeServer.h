#pragma once
// The DDE server through which other programs drive the running program:
// service = the program file's name, topic "DdeServerConv1". Commands make
// notes and run the date update through those subsystems' operations.

#include <windows.h>
#include <ddeml.h>

#include <string>

#include "extras/DdeCommand.h"

namespace kelup {

class Shell;
class NoteStore;
class Deadlines;

class DdeServer {
public:
    DdeServer(Shell& shell, NoteStore& store, Deadlines& dates) : shell_(shell), store_(store), dates_(dates) {}
    ~DdeServer() { Stop(); }
    DdeServer(const DdeServer&) = delete;
    DdeServer& operator=(const DdeServer&) = delete;

    bool Start(const std::wstring& exePath);
    void Stop();
    void DdeExecute(const DdeCommand& cmd);

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                      ULONG_PTR d1, ULONG_PTR d2);
    Shell& shell_;
    NoteStore& store_;
    Deadlines& dates_;
    // The last "DDEMAKEKELUP" request.
    DdeNoteRequest lastRequest_;
    DWORD inst_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
};

// Service name of a program file: its name, cut at the first ".".
std::wstring DdeServiceName(const std::wstring& exePath);

}  // namespace kelup
