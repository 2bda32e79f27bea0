#include "compose/EditorRules.h"

#include <algorithm>
#include <string>

namespace kelup {

bool AsksCloseQuestion(EditorCommand cmd, bool changed) { return cmd == EditorCommand::CloseBox && changed; }

bool ApplyCloseCommand(EditorCommand cmd, EditorFlags& f, bool noteJustMade, bool locked, CloseAnswer answer) {
    switch (cmd) {
        case EditorCommand::Apply:
            f.EditUpdateFG = 1;
            f.EditSendMode = 0;
            break;
        case EditorCommand::Update:
            f.EditUpdateFG = 1;
            break;
        case EditorCommand::Close:
        case EditorCommand::NewNote:
            f.EditUpdateFG = 0;
            f.EditSendMode = 0;
            break;
        case EditorCommand::CloseBox:
            if (answer == CloseAnswer::Cancel) return false;
            f.EditUpdateFG = answer == CloseAnswer::Yes ? 3 : 0;
            f.EditSendMode = 0;
            break;
        case EditorCommand::Peel:
            f.EditUpdateFG = 0;
            f.EditSendMode = 0;
            f.EditRemoveFG = 1;
            break;
        case EditorCommand::SendOnly:
            // A note made only to be sent goes once it has been sent.
            f.EditSendMode = noteJustMade ? 2 : 1;
            f.EditUpdateFG = noteJustMade ? 1 : 0;
            if (noteJustMade) f.EditRemoveFG = 1;
            break;
        case EditorCommand::SendUpdate:
            f.EditSendMode = 1;
            f.EditUpdateFG = 1;
            break;
        case EditorCommand::SendPeel:
            // A locked note is sent and updated but stays.
            f.EditSendMode = locked ? 1 : 2;
            f.EditUpdateFG = locked ? 0 : 1;
            f.EditRemoveFG = locked ? 0 : 1;
            break;
        case EditorCommand::SendToAddr:
            f.EditSendMode = 3;
            f.EditUpdateFG = 1;
            break;
    }
    return true;
}

std::vector<QuoteAction> QuotePlan(const std::vector<std::wstring>& lines, bool dropQuoted) {
    std::vector<QuoteAction> plan;
    plan.reserve(lines.size());
    for (const auto& line : lines) {
        bool drop = dropQuoted && (line.empty() || line[0] == L'>');
        plan.push_back(drop ? QuoteAction::Delete : QuoteAction::Quote);
    }
    return plan;
}

std::vector<std::wstring> QuoteLines(const std::vector<std::wstring>& lines, bool dropQuoted) {
    std::vector<QuoteAction> plan = QuotePlan(lines, dropQuoted);
    std::vector<std::wstring> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (plan[i] == QuoteAction::Quote) out.push_back(L">" + lines[i]);
    }
    return out;
}

int FontSizeFromText(const std::wstring& text) {
    // An integer in the usual sense: optional sign, then digits only.
    size_t b = text.find_first_not_of(L' '), e = text.find_last_not_of(L' ');
    std::wstring t = b == std::wstring::npos ? L"" : text.substr(b, e - b + 1);
    size_t i = (!t.empty() && (t[0] == L'-' || t[0] == L'+')) ? 1 : 0;
    bool number = i < t.size() && t.size() - i <= 9;
    for (size_t k = i; number && k < t.size(); ++k) number = t[k] >= L'0' && t[k] <= L'9';
    int size = number ? std::stoi(t) : 8;
    // The largest size a rich edit control takes.
    return size > 5 ? std::min(size, 1638) : 0;
}

}  // namespace kelup
