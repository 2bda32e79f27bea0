#pragma once
// The send/receive log "LOG\kelup.nlg": one entry per note sent, per note
// received, per send refused by a full recipient and per arrival refused
// because our own slots were full. Appended to only, code page 932, CR LF.
// Nothing is written unless UseLog2 is 1; a log that cannot be written never
// keeps the caller from finishing its own steps.

#include <string>
#include <vector>

namespace kelup {

struct Paths;
struct Settings;

class NetLog {
public:
    NetLog(const Settings& config, const Paths& path) : Config(config), Path(path) {}

    // A note sent to `recipient` (a send-list name "name（computer）", or the
    // typed address); `lines` are the note's text lines, placeholders as typed.
    void SendLOG(const std::vector<std::wstring>& lines, const std::wstring& recipient);
    // A note received from `sender` (an identity field; cut at "##").
    void RecvLOG(const std::vector<std::wstring>& lines, const std::wstring& sender);
    // Mode 1: a recipient answered KL_FULL; mode 0: an arrival found no free slot.
    void FullLOG(int mode, const std::wstring& name);

private:
    const Settings& Config;
    const Paths& Path;
};

}  // namespace kelup
