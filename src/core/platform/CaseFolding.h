#pragma once
// Letter case of single characters beyond ASCII, as the system's Unicode tables
// have it, for matching names while ignoring case.

namespace zentory::platform {

// The character that `c` folds to for caseless comparison.
char32_t foldCase(char32_t c);
// The lower-case and upper-case forms of `c` (`c` itself when it has none).
char32_t lowerCase(char32_t c);
char32_t upperCase(char32_t c);

} // namespace zentory::platform
