#pragma once
// How the main window's file list looks, for every front end: a pale green
// ground, blue names, the name column and each column after it this wide
// (pixels at 96 dots per inch).

namespace zentory::window {

inline constexpr unsigned char kListBackground[3] = {240, 255, 240};
inline constexpr unsigned char kListText[3] = {20, 20, 255};
inline constexpr int kListColumnWidth = 400;
inline constexpr int kListCellColumnWidth = 120;

} // namespace zentory::window
