#include "dates/RtfDates.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "base/Cp932.h"
#include "base/TextLines.h"
#include "dates/Placeholders.h"

namespace kelup {

namespace {

// One character of the shown text and the bytes of the RTF that make it.
struct Char {
    wchar_t ch;
    size_t from, to;
};

// Groups whose text is not shown.
bool SkippedDestination(std::string_view word) {
    static constexpr std::string_view kWords[] = {"fonttbl", "colortbl", "stylesheet", "info", "listtable",
                                                  "listoverridetable", "rsidtbl", "generator", "themedata",
                                                  "colorschememapping", "latentstyles", "datastore", "revtbl",
                                                  "filetbl", "xmlnstbl", "pgdsctbl", "mmathPr", "fldinst"};
    for (std::string_view w : kWords)
        if (word == w) return true;
    return false;
}

// What this reader does not follow: embedded pictures and objects, tables,
// binary data.
bool Unfollowed(std::string_view word) {
    static constexpr std::string_view kWords[] = {"pict", "object", "objdata", "shp", "shppict", "nonshppict",
                                                  "bin", "cell", "row", "trowd", "nestcell", "sp"};
    for (std::string_view w : kWords)
        if (word == w) return true;
    return false;
}

class Reader {
public:
    explicit Reader(std::string_view rtf) : s_(rtf) {}

    // The shown characters; false when the RTF is not followed.
    bool Read(std::vector<Char>& out) {
        if (s_.substr(0, 5) != "{\\rtf") return false;
        int depth = 0;
        int skipDepth = 0;              // inside a skipped group at this depth (0: none)
        std::vector<int> ucStack{1};    // characters that follow \uN in its place
        size_t i = 0;
        while (i < s_.size()) {
            char c = s_[i];
            const bool opened = justOpened;   // the token before this one opened a group
            justOpened = false;
            if (c == '{') {
                ++depth;
                ucStack.push_back(ucStack.back());
                ++i;
                justOpened = true;
                if (skipDepth == 0 && i + 1 < s_.size() && s_[i] == '\\' && s_[i + 1] == '*') skipDepth = depth;
                continue;
            }
            if (c == '}') {
                if (skipDepth == depth) skipDepth = 0;
                --depth;
                if (ucStack.size() > 1) ucStack.pop_back();
                ++i;
                if (depth < 0) return false;
                if (depth == 0) return true;   // the end of the document
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++i;
                continue;
            }
            if (c != '\\') {
                if (static_cast<unsigned char>(c) >= 0x80) return false;   // raw bytes of an unknown code page
                if (skipDepth == 0) out.push_back({wchar_t(c), i, i + 1});
                ++i;
                continue;
            }
            // A control word, a control symbol or an escaped byte.
            size_t start = i++;
            if (i >= s_.size()) return false;
            char d = s_[i];
            if (d == '\'') {
                int byte = Hex(i + 1);
                if (byte < 0) return false;
                i += 3;
                if (skipDepth) continue;
                if (IsCp932Lead(static_cast<unsigned char>(byte))) {
                    int trail = (i + 3 < s_.size() && s_[i] == '\\' && s_[i + 1] == '\'') ? Hex(i + 2) : -1;
                    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;   // not a character of code page 932
                    i += 4;
                    std::string pair{char(byte), char(trail)};
                    std::wstring w = FromCp932(pair);
                    if (w.size() != 1) return false;
                    out.push_back({w[0], start, i});
                } else if (byte < 0x80) {
                    out.push_back({wchar_t(byte), start, i});
                } else {
                    std::wstring w = FromCp932(std::string(1, char(byte)));   // half-width katakana
                    if (w.size() != 1) return false;
                    out.push_back({w[0], start, i});
                }
                continue;
            }
            if (!std::isalpha(static_cast<unsigned char>(d))) {
                ++i;
                if (skipDepth) continue;
                if (d == '\\' || d == '{' || d == '}') out.push_back({wchar_t(d), start, i});
                else if (d == '~') out.push_back({wchar_t(0xA0), start, i});
                else if (d == '*' || d == '-' || d == '_' || d == ':' || d == '|') {}
                else if (d == '\r' || d == '\n') out.push_back({L'\r', start, i});   // as \par
                else return false;
                continue;
            }
            size_t w0 = i;
            while (i < s_.size() && std::isalpha(static_cast<unsigned char>(s_[i]))) ++i;
            std::string_view word = s_.substr(w0, i - w0);
            bool hasParam = false;
            long param = 0;
            size_t p0 = i;
            if (i < s_.size() && (s_[i] == '-' || std::isdigit(static_cast<unsigned char>(s_[i])))) {
                ++i;
                while (i < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i]))) ++i;
                if (i - p0 > 11) return false;
                param = std::strtol(std::string(s_.substr(p0, i - p0)).c_str(), nullptr, 10);
                hasParam = true;
            }
            if (i < s_.size() && s_[i] == ' ') ++i;   // the delimiter belongs to the word
            if (Unfollowed(word)) return false;
            if (word == "ansicpg" && param != 932) codePageOther_ = true;
            if (skipDepth) continue;
            // A group that begins with a destination of no shown text.
            if (SkippedDestination(word) && opened) {
                skipDepth = depth;
                continue;
            }
            if (word == "uc" && hasParam) {
                ucStack.back() = int(param < 0 ? 0 : param);
                continue;
            }
            if (word == "u" && hasParam) {
                wchar_t ch = wchar_t(static_cast<unsigned short>(static_cast<short>(param)));
                // Its stand-ins for readers without Unicode are not shown.
                for (int k = 0; k < ucStack.back() && i < s_.size(); ++k) {
                    if (s_[i] == '\\' && i + 1 < s_.size() && s_[i + 1] == '\'') i += 4;
                    else if (s_[i] == '{' || s_[i] == '}' || s_[i] == '\\') break;
                    else ++i;
                }
                out.push_back({ch, start, i});
                continue;
            }
            if (word == "par" || word == "sect" || word == "page") out.push_back({L'\r', start, i});
            else if (word == "line") out.push_back({L'\v', start, i});
            else if (word == "tab") out.push_back({L'\t', start, i});
            else if (word == "emdash" || word == "endash" || word == "bullet" || word == "lquote" ||
                     word == "rquote" || word == "ldblquote" || word == "rdblquote" || word == "emspace" ||
                     word == "enspace")
                out.push_back({L'?', start, i});
        }
        return false;   // the document never closed
    }

    // Escaped bytes stand for code page 932 characters only in a document of
    // that code page; elsewhere they are not followed.
    bool CodePageOther() const { return codePageOther_; }

private:
    int Hex(size_t at) const {
        if (at + 2 > s_.size()) return -1;
        auto v = [](char h) {
            if (h >= '0' && h <= '9') return h - '0';
            if (h >= 'a' && h <= 'f') return h - 'a' + 10;
            if (h >= 'A' && h <= 'F') return h - 'A' + 10;
            return -1;
        };
        int a = v(s_[at]), b = v(s_[at + 1]);
        return a < 0 || b < 0 ? -1 : a * 16 + b;
    }

    std::string_view s_;
    bool codePageOther_ = false;
    bool justOpened = false;
};

bool ReadChars(std::string_view rtf, std::vector<Char>& chars) {
    Reader r(rtf);
    if (!r.Read(chars)) return false;
    if (r.CodePageOther())
        for (const Char& c : chars)
            if (c.to - c.from >= 4 && rtf[c.from + 1] == '\'') return false;
    return true;
}

// `out` ends in a control word (with its number): what follows must not
// make it longer.
bool EndsInControlWord(const std::string& out) {
    size_t i = out.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(out[i - 1]))) --i;
    if (i > 0 && out[i - 1] == '-') --i;
    size_t j = i;
    while (j > 0 && std::isalpha(static_cast<unsigned char>(out[j - 1]))) --j;
    if (j == i || j == 0 || out[j - 1] != '\\') return false;
    // "\\" is an escaped backslash: the letters are then text.
    size_t slashes = 0;
    while (j > slashes && out[j - 1 - slashes] == '\\') ++slashes;
    return slashes % 2 == 1;
}

// A character as RTF text.
void AppendRtfChar(std::string& out, wchar_t ch) {
    if (ch < 0x80 && ch != '\\' && ch != '{' && ch != '}') {
        out += char(ch);
    } else {
        out += "{\\uc1\\u" + std::to_string(int(static_cast<short>(ch))) + "?}";
    }
}

}  // namespace

std::optional<std::wstring> RtfShownText(std::string_view rtf) {
    std::vector<Char> chars;
    if (!ReadChars(rtf, chars)) return std::nullopt;
    std::wstring text;
    for (const Char& c : chars) text += c.ch;
    return text;
}

std::optional<std::string> RtfInColour(std::string_view rtf, int colour) {
    if (rtf.substr(0, 5) != "{\\rtf") return std::nullopt;
    struct Word {
        size_t from, to;   // the word with its number, without the delimiter
        std::string_view name;
    };
    std::vector<Word> words;
    size_t tableFrom = 0, tableEnd = 0;   // the colour table's group; its closing brace
    int depth = 0, tableDepth = 0, entries = 0;
    bool justOpened = false;
    for (size_t i = 0; i < rtf.size();) {
        char c = rtf[i];
        const bool opened = justOpened;
        justOpened = false;
        if (c == '{') {
            ++depth, ++i;
            justOpened = true;
            continue;
        }
        if (c == '}') {
            if (tableDepth == depth) tableEnd = i, tableDepth = -1;
            --depth, ++i;
            if (depth == 0) break;
            continue;
        }
        if (tableDepth == depth && c == ';') ++entries;
        if (c != '\\') {
            ++i;
            continue;
        }
        size_t from = i++;
        if (i >= rtf.size()) return std::nullopt;
        if (!std::isalpha(static_cast<unsigned char>(rtf[i]))) {
            i += rtf[i] == '\'' ? 3 : 1;
            continue;
        }
        size_t w0 = i;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
        std::string_view name = rtf.substr(w0, i - w0);
        if (i < rtf.size() && rtf[i] == '-') ++i;
        while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
        if (name == "colortbl" && tableFrom == 0 && opened) tableFrom = from, tableDepth = depth;
        else if (name == "cf" || name == "plain") words.push_back({from, i, name});
        if (name == "bin") return std::nullopt;
    }
    if (tableFrom == 0 || tableEnd == 0) return std::nullopt;
    const std::string cf = "\\cf" + std::to_string(entries);
    const std::string entry = "\\red" + std::to_string(colour & 0xFF) + "\\green" + std::to_string((colour >> 8) & 0xFF) +
                              "\\blue" + std::to_string((colour >> 16) & 0xFF) + ";";
    std::string out;
    out.reserve(rtf.size() + 64);
    size_t at = 0;
    auto copyTo = [&](size_t to) {
        out.append(rtf.substr(at, to - at));
        at = to;
    };
    copyTo(tableEnd);
    out += entry;
    copyTo(tableEnd + 1);
    out += cf + " ";   // the text from the start (the space ends the word)
    for (const Word& w : words) {
        if (w.from < tableEnd) continue;
        if (w.name == "cf") {
            copyTo(w.from);
            out += cf;
            at = w.to;
        } else {
            copyTo(w.to);
            out += cf;   // \plain takes the colour away
        }
    }
    out.append(rtf.substr(at));
    return out;
}

int ShownLineCount(std::wstring_view shown) {
    // The mark that ends the last paragraph is the control's own.
    if (!shown.empty() && shown.back() == L'\r') shown.remove_suffix(1);
    return int(SplitLines(shown, true).size());
}

std::optional<std::string> RtfWithDates(std::string_view rtf, long today) {
    std::vector<Char> chars;
    if (!ReadChars(rtf, chars)) return std::nullopt;
    // What happens to each character: kept, dropped, or replaced by a number.
    std::vector<int> fate(chars.size(), -1);   // -1 kept, -2 dropped, k >= 0: number k goes here
    std::vector<std::wstring> numbers;
    for (size_t start = 0; start <= chars.size();) {
        size_t end = start;
        while (end < chars.size() && chars[end].ch != L'\r') ++end;
        std::wstring line;
        for (size_t k = start; k < end; ++k) line += chars[k].ch;
        // The line as the edits leave it, each position naming the character
        // it came from (or the number put in its place).
        struct Cell {
            size_t from;
            bool number;
        };
        std::vector<Cell> cells;
        for (size_t k = start; k < end; ++k) cells.push_back({k, false});
        for (const PlaceholderEdit& e : LineEdits(line, today)) {
            if (e.pos + e.length > cells.size() || e.length == 0) return std::nullopt;
            size_t anchor = cells[e.pos].from;
            for (size_t k = e.pos; k < e.pos + e.length; ++k) {
                if (cells[k].number) return std::nullopt;   // a number is never edited again
                fate[cells[k].from] = -2;
            }
            fate[anchor] = int(numbers.size());
            numbers.push_back(e.text);
            cells.erase(cells.begin() + long(e.pos), cells.begin() + long(e.pos + e.length));
            cells.insert(cells.begin() + long(e.pos), e.text.size(), Cell{anchor, true});
        }
        start = end + 1;
    }
    std::string out;
    out.reserve(rtf.size() + 16);
    size_t at = 0;
    bool cut = false;   // text was taken out just before `at`
    // Kept bytes; text that came to follow a control word must not run into it.
    auto keep = [&](size_t to) {
        std::string_view part = rtf.substr(at, to - at);
        if (cut && !part.empty() && (std::isalnum(static_cast<unsigned char>(part[0])) || part[0] == '-' ||
                                     part[0] == ' ') && EndsInControlWord(out))
            out += ' ';
        out.append(part);
        cut = false;
    };
    for (size_t k = 0; k < chars.size(); ++k) {
        if (fate[k] == -1) continue;
        keep(chars[k].from);
        if (fate[k] >= 0) {
            if (EndsInControlWord(out)) out += ' ';
            for (wchar_t ch : numbers[size_t(fate[k])]) AppendRtfChar(out, ch);
        }
        at = chars[k].to;
        cut = true;
    }
    keep(rtf.size());
    return out;
}

}  // namespace kelup
