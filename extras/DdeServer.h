#pragma once
// The DDE server through which other programs drive the running program:
// service = the program file's name, topic "DdeServerConv1".

#include <windows.h>
#include <ddeml.h>

#include <string>

namespace kelup {

class DdeServer {
public:
    ~DdeServer() { Stop(); }
    bool Start(const std::wstring& exePath);
    void Stop();

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                      ULONG_PTR d1, ULONG_PTR d2);
    DWORD inst_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
};

// Service name of a program file: its name, cut at the first ".".
std::wstring DdeServiceName(const std::wstring& exePath);

}  // namespace kelup
