#pragma once
// The scrambled form in which the user's password is stored.

#include <string>

namespace kelup {

// Stored form of a plain password: with n its length, digits move back by n
// within 0-9, ASCII letters back by n within their own case; others stay.
std::wstring PWordOut(const std::wstring& plain);
// Plain password from its stored form (the reverse move).
std::wstring PWordIn(const std::wstring& stored);

}  // namespace kelup
