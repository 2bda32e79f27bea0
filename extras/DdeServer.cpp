#include "extras/DdeServer.h"

#include "app/Shell.h"
#include "base/Cp932.h"
#include "res/resource.h"
#include "dates/Deadlines.h"
#include "store/NoteStore.h"

namespace kelup {

namespace {
DdeServer* g_server = nullptr;
constexpr char kTopic[] = "DdeServerConv1";
}  // namespace

std::wstring DdeServiceName(const std::wstring& exePath) {
    size_t slash = exePath.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? exePath : exePath.substr(slash + 1);
    return name.substr(0, name.find(L'.'));
}

bool DdeServer::Start(const std::wstring& exePath) {
    g_server = this;
    // ANSI strings in the system code page, as DDE clients have always sent them.
    if (DdeInitializeA(&inst_, Callback, APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS | CBF_FAIL_POKES |
                                             CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                       0) != DMLERR_NO_ERROR)
        return false;
    std::string service = ToCp932(DdeServiceName(exePath));
    service_ = DdeCreateStringHandleA(inst_, service.c_str(), CP_WINANSI);
    topic_ = DdeCreateStringHandleA(inst_, kTopic, CP_WINANSI);
    return DdeNameService(inst_, service_, nullptr, DNS_REGISTER) != nullptr;
}

void DdeServer::Stop() {
    if (!inst_) return;
    DdeNameService(inst_, service_, nullptr, DNS_UNREGISTER);
    if (service_) DdeFreeStringHandle(inst_, service_);
    if (topic_) DdeFreeStringHandle(inst_, topic_);
    DdeUninitialize(inst_);
    inst_ = 0;
    if (g_server == this) g_server = nullptr;
}

void DdeServer::DdeExecute(const DdeCommand& cmd) {
    if (cmd.word == L"DateUp") {
        dates_.M_DateUp1Click();
    } else if (cmd.word == L"DateUpAndAllShow") {
        dates_.M_DateUp1Click();
        store_.M_ReShowClick();
    } else if (cmd.word == L"MakeKelupN") {
        // The new note opens the editor: the conversation is answered first.
        PostMessageW(shell_.MainHandle(), WM_COMMAND, ID_NewNormal, 0);
    } else if (cmd.word == L"MakeKelupB") {
        store_.NewBMPClick();
    } else if (cmd.word == L"DDEMAKEKELUP") {
        lastRequest_ = ParseDdeMakeKelup(cmd);
        store_.MakeKelup(L"|||", lastRequest_);
    }
}

HDDEDATA CALLBACK DdeServer::Callback(UINT type, UINT, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data, ULONG_PTR,
                                      ULONG_PTR) {
    DdeServer* self = g_server;
    if (!self) return nullptr;
    switch (type) {
        case XTYP_CONNECT:
            // The topic, compared without regard to case, with this service or none.
            if (DdeCmpStringHandles(hsz1, self->topic_) != 0) return nullptr;
            if (hsz2 && DdeCmpStringHandles(hsz2, self->service_) != 0) return nullptr;
            return reinterpret_cast<HDDEDATA>(TRUE);
        case XTYP_EXECUTE: {
            DWORD size = DdeGetData(data, nullptr, 0, 0);
            std::string bytes(size, '\0');
            if (size) DdeGetData(data, reinterpret_cast<LPBYTE>(bytes.data()), size, 0);
            bytes = bytes.substr(0, bytes.find('\0'));
            if (!self->shell_.State().Closing) self->DdeExecute(ParseDdeCommand(FromCp932(bytes)));
            return reinterpret_cast<HDDEDATA>(DDE_FACK);
        }
    }
    return nullptr;
}

}  // namespace kelup
