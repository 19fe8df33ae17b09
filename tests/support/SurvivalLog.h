#pragma once
// The table of docs/survival.md ("What Orvane Zentory survives"), written by
// the hostile tests themselves: each records the case it tried and what it
// observed. The rows go to the file named by ZENTORY_SURVIVAL_TABLE when that
// is set (see scripts/survival-table.sh); otherwise recording does nothing.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zentory::test {

// A table cell: one line, with "|" escaped and control bytes shown as "?".
inline std::string survivalCell(std::string_view text) {
    std::string cell;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '|') {
            cell += "\\|";
        } else {
            cell += byte < 0x20 || byte == 0x7f ? '?' : c;
        }
    }
    return cell;
}

// Appends the row `subject` | `hostileCase` | `outcome`, and the table's head
// when the file is still empty.
inline void recordSurvival(std::string_view subject, std::string_view hostileCase,
                           std::string_view outcome) {
    const char* table = std::getenv("ZENTORY_SURVIVAL_TABLE");
    if (table == nullptr || *table == '\0') {
        return;
    }
    std::FILE* out = std::fopen(table, "a");
    if (out == nullptr) {
        return;
    }
    std::fseek(out, 0, SEEK_END);
    if (std::ftell(out) == 0) {
        std::fputs("| Hostile input | Case | Observed outcome |\n|---|---|---|\n", out);
    }
    const std::string row = "| " + survivalCell(subject) + " | " + survivalCell(hostileCase) +
                            " | " + survivalCell(outcome) + " |\n";
    std::fputs(row.c_str(), out);
    std::fclose(out);
}

} // namespace zentory::test
