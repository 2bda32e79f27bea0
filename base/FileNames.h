#pragma once
// Names for files the program writes beside others.

#include <functional>
#include <string>
#include <string_view>

namespace kelup {

// `name`, or the first of "stem(2).ext", "stem(3).ext", ... that `exists`
// says is free (the number goes before the last "."; a name starting with
// its only "." has no extension); empty when none of a great many is.
std::wstring FreeFileName(std::wstring_view name, const std::function<bool(const std::wstring&)>& exists);

}  // namespace kelup
