#pragma once
// An INI file read and written through the system's profile functions.

#include <string>

#include "app/Settings.h"

namespace kelup {

class IniFile : public ProfileSource {
public:
    explicit IniFile(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& Path() const { return path_; }

    // Integers are read as text: signed decimal, or hexadecimal with 0x or $;
    // anything else gives the default.
    int GetInt(const std::wstring& section, const std::wstring& key, int def) const override;
    std::wstring GetString(const std::wstring& section, const std::wstring& key,
                           const std::wstring& def) const override;
    bool WriteInt(const std::wstring& section, const std::wstring& key, int value) const;
    bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;
    bool EraseSection(const std::wstring& section) const;

private:
    std::wstring path_;
};

// The integer a profile value stands for, or `def`.
int ParseProfileInt(const std::wstring& text, int def);

}  // namespace kelup
