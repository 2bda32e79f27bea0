#pragma once
// Which links a click may hand to the shell at once.

#include <string_view>

namespace kelup {

// Web and mail addresses ("http://", "https://", "mailto:" and something
// after it, no control characters). Anything else (a program, a file, a
// share) may have come from another computer and is opened only after the
// user agreed.
bool OpensUnasked(std::wstring_view target);

}  // namespace kelup
