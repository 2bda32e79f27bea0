#include "notes/RichText.h"

#include <richedit.h>

#include "base/Cp932.h"
#include "base/TextLines.h"
#include "notes/FontStyle.h"

namespace kelup {

namespace {

struct OutStream {
    std::string data;
};

DWORD CALLBACK OutCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* written) {
    reinterpret_cast<OutStream*>(cookie)->data.append(reinterpret_cast<char*>(buf), size_t(cb));
    *written = cb;
    return 0;
}

struct InStream {
    const std::string* data;
    size_t pos = 0;
};

DWORD CALLBACK InCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* read) {
    auto* in = reinterpret_cast<InStream*>(cookie);
    size_t n = std::min(size_t(cb), in->data->size() - in->pos);
    memcpy(buf, in->data->data() + in->pos, n);
    in->pos += n;
    *read = LONG(n);
    return 0;
}

}  // namespace

std::string RichToRtf(HWND re) {
    OutStream out;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, OutCallback};
    SendMessageW(re, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return out.data;
}

bool RichFromRtf(HWND re, const std::string& bytes) {
    InStream in{&bytes};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&in), 0, InCallback};
    bool rtf = bytes.rfind("{\\rtf", 0) == 0;
    SendMessageW(re, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

std::wstring RichPlainText(HWND re) {
    GETTEXTLENGTHEX gl{GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT len = SendMessageW(re, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
    if (len <= 0) return {};
    std::wstring text(size_t(len) + 1, L'\0');
    GETTEXTEX gt{DWORD((len + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LRESULT got = SendMessageW(re, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()));
    text.resize(size_t(got > 0 ? got : 0));
    return text;
}

std::vector<std::wstring> RichLines(HWND re) { return SplitLines(RichPlainText(re), true); }

void RichClear(HWND re) { SetWindowTextW(re, L""); }

void RichAppendLine(HWND re, const std::wstring& line) {
    LRESULT len = GetWindowTextLengthW(re);
    SendMessageW(re, EM_SETSEL, len, len);
    std::wstring text = (len > 0 ? L"\r" : L"") + line;
    SendMessageW(re, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

DWORD StyleToEffects(int style) {
    DWORD e = 0;
    if (style / 1000 % 10 == 1) e |= CFE_BOLD;
    if (style / 100 % 10 == 1) e |= CFE_ITALIC;
    if (style / 10 % 10 == 1) e |= CFE_UNDERLINE;
    if (style % 10 == 1) e |= CFE_STRIKEOUT;
    return e;
}

int EffectsToStyle(DWORD e) {
    return (e & CFE_BOLD ? 1000 : 0) + (e & CFE_ITALIC ? 100 : 0) + (e & CFE_UNDERLINE ? 10 : 0) +
           (e & CFE_STRIKEOUT ? 1 : 0);
}

TextFont RichFontAtParagraph(HWND re, int paragraph) {
    int count = int(SendMessageW(re, EM_GETLINECOUNT, 0, 0));
    int start = 0;
    // Lines of the control are paragraphs only without word wrap: walk the
    // text for the paragraph's first character instead.
    if (paragraph > 0 && count > 1) {
        GETTEXTLENGTHEX gl{GTL_DEFAULT, 1200};
        int len = int(SendMessageW(re, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
        std::wstring text(size_t(len) + 1, L'\0');
        GETTEXTEX gt{};
        gt.cb = DWORD(text.size() * sizeof(wchar_t));
        gt.flags = GT_DEFAULT;
        gt.codepage = 1200;
        int got = int(SendMessageW(re, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data())));
        int seen = 0;
        for (int i = 0; i < got && seen < paragraph; ++i) {
            if (text[size_t(i)] == L'\r') {
                ++seen;
                start = i + 1;
            }
        }
    }
    CHARRANGE keep{};
    SendMessageW(re, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&keep));
    CHARRANGE at{start, start + 1};
    SendMessageW(re, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(re, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(re, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&keep));
    TextFont f;
    f.name = cf.szFaceName;
    f.size = cf.yHeight / 20;
    f.color = cf.crTextColor;
    f.style = EffectsToStyle(cf.dwEffects);
    return f;
}

void RichSetFont(HWND re, const TextFont& font) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
    cf.dwEffects = StyleToEffects(font.style);
    cf.yHeight = font.size * 20;
    cf.crTextColor = font.color;
    cf.bCharSet = DEFAULT_CHARSET;
    lstrcpynW(cf.szFaceName, font.name.c_str(), LF_FACESIZE);
    SendMessageW(re, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(re, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
}

void RichFontSet(HWND re, int style) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(re, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    FontEffects now{(cf.dwEffects & CFE_BOLD) != 0, (cf.dwEffects & CFE_ITALIC) != 0,
                    (cf.dwEffects & CFE_UNDERLINE) != 0, (cf.dwEffects & CFE_STRIKEOUT) != 0};
    FontEffects e = FontSet(now, style);
    CHARFORMAT2W set{};
    set.cbSize = sizeof(set);
    set.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    set.dwEffects = (e.bold ? CFE_BOLD : 0) | (e.italic ? CFE_ITALIC : 0) | (e.underline ? CFE_UNDERLINE : 0) |
                    (e.strikeOut ? CFE_STRIKEOUT : 0);
    SendMessageW(re, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&set));
    SendMessageW(re, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&set));
}

void RichSetLineSpace(HWND re, int lineSpace) {
    CHARRANGE keep{};
    SendMessageW(re, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&keep));
    SendMessageW(re, EM_SETSEL, 0, -1);
    // Text read back from a note's own file has its spacing already: setting
    // it again would lay all the text out anew.
    PARAFORMAT2 now{};
    now.cbSize = sizeof(now);
    SendMessageW(re, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&now));
    if (!(now.dwMask & PFM_LINESPACING) || now.bLineSpacingRule != 5 || now.dyLineSpacing != lineSpace) {
        PARAFORMAT2 pf{};
        pf.cbSize = sizeof(pf);
        pf.dwMask = PFM_LINESPACING;
        pf.bLineSpacingRule = 5;   // in twentieths of a line
        pf.dyLineSpacing = lineSpace;
        SendMessageW(re, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    }
    SendMessageW(re, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&keep));
}

}  // namespace kelup
