#pragma once
// Fills the placeholders of a catalogue text: "%1" and "%2", as the
// translation files write them.

#include <string>

namespace zentory {

// `text` with "%1" replaced by `first` and "%2" by `second`, in one pass, so
// that a "%2" inside `first` stays as it is.
std::string fillPlaceholders(const std::string& text, const std::string& first,
                             const std::string& second = {});

} // namespace zentory
