#pragma once
// The command language other programs speak to the running program over DDE.

#include <string>
#include <string_view>
#include <vector>

namespace kelup {

struct DdeCommand {
    std::wstring word;                 // line 0, compared exactly
    std::vector<std::wstring> args;    // the lines after it
};

// Splits the command text into lines at CR LF, CR or LF; a final line break
// makes no empty last line.
DdeCommand ParseDdeCommand(std::wstring_view text);

struct DdeNoteRequest {
    int count = 0;    // lines announced
    int left = 0;
    int top = 0;
    std::vector<std::wstring> lines;   // at most `count`, only those present
};

// "DDEMAKEKELUP": line 1 holds count;left;top; and the text lines follow.
// Missing or unconvertible numbers count as 0; lines that were announced but
// not sent are left out.
DdeNoteRequest ParseDdeMakeKelup(const DdeCommand& cmd);

}  // namespace kelup
