#pragma once
// Texts and the "&" prefix character of a static without SS_NOPREFIX: the
// static drops a single "&" (it marks the mnemonic) and shows "&&" as "&".

#include <string>
#include <string_view>

namespace zentory::window {

// `text` for such a static to show as it is: every "&" doubled.
std::string DoublePrefixes(std::string_view text);

// What such a static shows of `text`: single "&"s dropped, "&&" shown as "&".
std::string ShownText(std::string_view text);

} // namespace zentory::window
