#pragma once
// The chosen folder's path and its label, the forms in which the window's
// folder browser gives and shows a folder.

#include <string>
#include <string_view>

namespace zentory {

// The label of a chosen folder: its path followed by "/...".
std::string folderLabel(std::string_view folder);

// `path` made absolute against `workingDirectory`, with empty and "."
// components dropped and ".." taking back the component before it, so that it
// ends without a separator unless it is the root "/". An empty path stays empty.
std::string absoluteFolder(std::string_view path, std::string_view workingDirectory);

} // namespace zentory
