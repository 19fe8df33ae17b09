#pragma once
// Hand-edited files gone wrong, as one table: "config.ini" and the translation
// file empty, binary, without line ends, with a byte-order mark, with a 0x1A
// inside, with a 16 MiB line, with 200,000 lines, with mixed line ends. The core
// suites take each file's bytes from here and check what the settings store,
// the catalogue and the language list make of them; the CLI suite runs
// zentory-cli with each file beside it and checks what the table says here.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zentory::test {

struct HostileFileCase {
    const char* id;          // names the case: "SettingsEmpty", "TranslationsByteOneA"...
    const char* file;        // "config.ini" or "zentorytrl.ini"
    const char* hostileCase; // the survival table's case
    std::string (*bytes)();  // the file's bytes
    // What `zentory-cli -r -d DIR` gives with the file beside it, where "DIR"
    // stands for the listed folder and "BIN" for the program's folder:
    int cliStatus;
    const char* cliOutStart; // standard output begins with this
    const char* cliOutHolds; // and holds this ("" for anything)
    const char* cliErr;      // standard error, exactly
    const char* cliNote;     // what the survival table says before the CLI's outcome
    bool large;              // over 1 MiB: refused, in bounded time and memory
};

// Names a case in test output by its id.
void PrintTo(const HostileFileCase& row, std::ostream* out);

const std::vector<HostileFileCase>& hostileFiles();
const HostileFileCase& hostileFile(std::string_view id);

// A config.ini that names the product and asks for `language`.
std::string settingsFor(const std::string& language);

// The shipped translation file.
std::string shippedTranslations();

// The two files that go beside the program for `row`: its bytes as one, and
// as the other the shipped translations or a config.ini asking for English.
struct DataFiles {
    std::string settings;
    std::string translations;
};
DataFiles dataFilesFor(const HostileFileCase& row);

// The bound on the peak memory that reading a hostile file of `fileBytes` may
// take: a few times its size, and room for the walk's threads.
long memoryBoundKiB(size_t fileBytes);

// The length of the long lines and the number of lines of the large files.
inline constexpr size_t kLongLine = size_t{16} << 20;
inline constexpr int kManyLines = 200000;

} // namespace zentory::test
