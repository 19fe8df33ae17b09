// The wildcard patterns and the JSON, CSV, HTML and tree lists over arbitrary bytes. A
// pattern must answer for any name without crashing or taking long, "*" alone
// must take every name, and a name must match itself with every wildcard
// character escaped. The JSON list must be valid UTF-8 without a raw control
// byte, whatever the names, and so must the page; the CSV list must keep each
// name's bytes; the page and the tree must give each name one row or line.
//
// Input: a pattern, then names below the folder "/f", each a string ended by
// a backslash and another byte ("\\" stands for one backslash).

#include "export/ListExport.h"
#include "listing/Glob.h"
#include "listing/Utf8.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

namespace {

using namespace zentory;

std::string escapedPattern(const std::string& name) {
    std::string pattern;
    for (char c : name) {
        if (c == '*' || c == '?' || c == '[' || c == '\\') {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern;
}

void checkJson(const std::string& json) {
    for (size_t at = 0; at < json.size();) {
        size_t length = 0;
        const char32_t c = DecodeUtf8(json, at, length);
        if (c == kNotUtf8 || (c < 0x20 && c != '\n')) {
            __builtin_trap();
        }
        at += length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string pattern = input.ConsumeRandomLengthString(64);
    const bool ignoreCase = input.ConsumeBool();
    std::vector<std::string> names;
    while (input.remaining_bytes() > 0 && names.size() < 64) {
        std::string name = input.ConsumeRandomLengthString(64);
        name.erase(std::remove(name.begin(), name.end(), '/'), name.end());
        name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
        if (!name.empty()) {
            names.push_back(name);
        }
    }
    const Glob glob(pattern, ignoreCase);
    const Glob all("*", ignoreCase);
    for (const auto& name : names) {
        glob.matches(name);
        if (!all.matches(name) || !Glob(escapedPattern(name), ignoreCase).matches(name)) {
            __builtin_trap();
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    FileList files;
    std::vector<FileStat> stats;
    for (const auto& name : names) {
        files.append("/f/" + name);
        stats.push_back(FileStat{static_cast<int64_t>(name.size()), 0});
    }
    const ExportRequest request{files, "/f", {}, {}, {}, {}, &stats};
    checkJson(composeList(request, ListFormat::Json));
    // The page: valid UTF-8 with no raw control byte either, and one row a name
    // whatever "<" and "&" the names hold.
    const std::string page = composeList(request, ListFormat::Html);
    checkJson(page);
    size_t rows = 0;
    for (size_t at = page.find("<tr><td>"); at != std::string::npos;
         at = page.find("<tr><td>", at + 1)) {
        ++rows;
    }
    // The tree: one line a name, after the folder's line and before the closing
    // line and the dated footer, each after an empty line.
    const std::string tree = composeList(request, ListFormat::Tree);
    if (rows != names.size() ||
        static_cast<size_t>(std::count(tree.begin(), tree.end(), '\n')) != names.size() + 5) {
        __builtin_trap();
    }
    const std::string csv = composeList(request, ListFormat::Csv);
    for (const auto& name : names) {
        if (csv.find(name.find_first_of(",\"\r\n") == std::string::npos ? name : "") ==
            std::string::npos) {
            __builtin_trap();
        }
    }
    return 0;
}
