#pragma once
// An INI file in memory for the tests: names match without regard to case.

#include <map>
#include <string>

#include "app/Settings.h"

namespace kelup::test {

class FakeProfile : public ProfileSource {
public:
    FakeProfile& Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        values_[Key(section, key)] = value;
        return *this;
    }
    int GetInt(const std::wstring& s, const std::wstring& k, int def) const override {
        auto it = values_.find(Key(s, k));
        if (it == values_.end()) return def;
        try {
            return std::stoi(it->second);
        } catch (...) {
            return def;
        }
    }
    std::wstring GetString(const std::wstring& s, const std::wstring& k, const std::wstring& def) const override {
        auto it = values_.find(Key(s, k));
        return it == values_.end() ? def : it->second;
    }

private:
    static std::wstring Key(std::wstring s, std::wstring k) {
        for (auto& c : s) c = wchar_t(towlower(c));
        for (auto& c : k) c = wchar_t(towlower(c));
        return s + L"\n" + k;
    }
    std::map<std::wstring, std::wstring> values_;
};

}  // namespace kelup::test
