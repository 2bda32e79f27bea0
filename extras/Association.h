#pragma once
// The association dialog's rules: the "mailto:" button and the list of
// entries confirmed during the run.

#include <string>
#include <vector>

namespace kelup {

// "mailto:" in front of the text unless it begins with it already.
std::wstring WithMailto(const std::wstring& text);
// A confirmed text joins the list unless it is empty or there already.
void RememberAssociation(std::vector<std::wstring>& list, const std::wstring& text);

}  // namespace kelup
