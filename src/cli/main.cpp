// zentory-cli: the window's text export for scripts and headless machines. Same
// walk, same texts (from the catalogue beside this executable), same bytes.

#include "CliEntry.h"
#include "Version.h"
#include "export/ExportRequestBuilder.h"
#include "export/ListExport.h"
#include "export/TextExport.h"
#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"
#include "listing/FolderPath.h"
#include "listing/FolderScan.h"
#include "platform/Directory.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/write/Interruption.h"
#include "platform/write/StandardOutput.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <new>
#include <optional>
#include <string>

namespace {

constexpr const char* kName = "zentory-cli";
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The command line, resolved once into plain values.
struct Request {
    std::string folder;
    std::string output;
    zentory::ScanOptions scan;
    zentory::ExportOptions options;
    zentory::ListColumns columns;
    zentory::ListFormat format = zentory::ListFormat::Text;
    bool ascii = false;
};

// One message, one line: control bytes (a line feed in a file name) are
// written as "?", as the export writes them.
void report(const std::string& what) {
    zentory::platform::writeStandardError(std::string(kName) + ": " + zentory::oneLine(what) +
                                          '\n');
}

int usageError(const std::string& what) {
    report(what);
    zentory::platform::writeStandardError("Run with --help for more information.\n");
    return kExitUsage;
}

int run(const Request& request) {
    const bool table =
        request.format == zentory::ListFormat::Csv || request.format == zentory::ListFormat::Json;
    std::optional<zentory::CTranslator> translator;
    if (!table) { // the tables write no catalogue texts
        translator.emplace();
        if (const std::string refusal = translator->m_settings.UserSettingsRefusal();
            !refusal.empty()) {
            report(refusal);
        }
        translator->Load();
    }

    const bool relative = !zentory::platform::isAbsolutePath(request.folder);
    const std::string folder = zentory::absoluteFolder(
        request.folder, relative ? zentory::platform::workingDirectory() : std::string());
    const zentory::ScanResult scan = zentory::ScanFolder(folder, request.scan);
    if (scan.folderError) {
        report(scan.folderError->what());
        return kExitFailure;
    }
    for (const auto& unreadable : scan.unreadableFolders) {
        report(unreadable.what());
    }
    // A folder refused is the folder's answer; one lost for lack of open files
    // or memory may hold files, and a list without them would pass for whole.
    if (!scan.lostFolders.empty()) {
        for (const auto& lost : scan.lostFolders) {
            report(lost.what());
        }
        const size_t count = scan.lostFolders.size();
        report(std::to_string(count) + (count == 1 ? " folder" : " folders") +
               " not read for lack of open files or memory: no list written");
        return kExitFailure;
    }

    zentory::ExportRequest job = zentory::makeExportRequest(
        {.files = scan.files, .folder = folder, .stats = &scan.stats}, request.options,
        translator ? &*translator : nullptr, request.columns);
    job.asciiTree = request.ascii;
    // A name of the file that standard output is open on (/dev/stdout, or
    // the file itself) writes there as "-" does: at its offset, in its mode.
    if (request.output == "-" || zentory::platform::isStandardOutput(request.output)) {
        zentory::streamList(zentory::platform::writeStandardOutput, job, request.format);
    } else {
        zentory::writeList(request.output, job, request.format);
    }
    return 0;
}

// The options that choose files, add columns or pick another format.
struct ListOptions {
    bool subFolders = false;
    int maxDepth = -1;
    std::string format = "text";
    bool ascii = false;
};

void addListOptions(CLI::App& app, Request& request, ListOptions& list) {
    zentory::ListFilter& filter = request.scan.filter;
    app.add_option("--include", filter.include,
                   "list only files whose name matches GLOB (* ? [...]; may repeat)")
        ->option_text("GLOB")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--exclude", filter.exclude,
                   "leave out files whose name matches GLOB (may repeat)")
        ->option_text("GLOB")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("-i,--ignore-case", filter.ignoreCase,
                 "match --include and --exclude ignoring letter case");
    app.add_option("--max-depth", list.maxDepth,
                   "read sub-folders down to N levels (0: the folder's own files; N > 0 "
                   "implies -r)")
        ->option_text("N")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--no-hidden", filter.noHidden,
                 "leave out files and folders whose name begins with '.'");
    app.add_flag("--size", request.columns.size,
                 "add a tab and each file's size in bytes to its line");
    app.add_flag("--modified", request.columns.modified,
                 "add a tab and each file's time of last change (YYYY/MM/DD hh:mm)");
    app.add_flag("--totals", request.columns.totals,
                 "end the title and each heading with ' (N files, B bytes)'");
    app.add_option(
           "--threads", request.scan.threads,
           "read folders on at most N threads at once, to spare a server (0, the "
           "default: as many as the file system rewards, up to 64, or 512 with sizes or times)")
        ->option_text("N")
        ->check(CLI::Range(0u, 1024u));
    app.add_option("--format", list.format,
                   "text (the list), csv or json: one row per file with its path, folder, "
                   "name, extension, size and time; html: a web page with a table per folder; "
                   "tree: the folders drawn as 'tree' draws them (-f, -x, -d shape text, html "
                   "and tree)")
        ->option_text("FORMAT")
        ->check(CLI::IsMember({"text", "csv", "json", "html", "tree"}));
    app.add_flag("--ascii", list.ascii,
                 "draw the tree with |-- and `-- instead of Unicode's line drawing");
}

void resolveListOptions(Request& request, const ListOptions& list) {
    request.scan.filter.maxDepth = list.maxDepth;
    request.scan.subFolders = list.maxDepth < 0 ? list.subFolders : list.maxDepth > 0;
    request.format = list.format == "csv"    ? zentory::ListFormat::Csv
                     : list.format == "json" ? zentory::ListFormat::Json
                     : list.format == "html" ? zentory::ListFormat::Html
                     : list.format == "tree" ? zentory::ListFormat::Tree
                                             : zentory::ListFormat::Text;
    request.ascii = list.ascii;
    request.scan.fileStats = request.columns.any() || request.format == zentory::ListFormat::Csv ||
                             request.format == zentory::ListFormat::Json;
}

} // namespace

int zentory::RunCli(int argc, char** argv) {
    CLI::App app{"Writes the files of FOLDER as a plain text list, the way the Orvane Zentory "
                 "window exports it.",
                 kName};
    app.footer(std::string("The text list and the CSV list have CR LF line ends, as the window "
                           "writes the list; the JSON list, the HTML page and the tree have LF. "
                           "Paths are written with '") +
               zentory::platform::kPathSeparator + "' between their parts.");
    Request request;
    request.output = "-";
    bool fullPath = false;
    bool noExtensions = false;
    bool noDate = false;
    ListOptions list;
    app.add_flag("-r,--subfolders", list.subFolders, "include the files of all sub-folders");
    app.add_flag("-f,--full-path", fullPath, "write each file's full path");
    app.add_flag("-x,--no-extensions", noExtensions, "write file names without their extensions");
    app.add_flag("-d,--no-date", noDate, "leave out the dated footer");
    auto* output = app.add_option("-o,--output", request.output,
                                  "write to FILE (created, or replaced when it exists); '-' or no "
                                  "-o: standard output")
                       ->option_text("FILE");
    addListOptions(app, request, list);
    app.add_option("FOLDER", request.folder, "the folder to list")->required()->type_name("");
    app.set_version_flag("--version", std::string(kName) + " " + zentory::kVersion);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            return app.exit(e); // --help, --version
        }
        return usageError(e.what());
    }
    if (output->count() > 0 && request.output.empty()) {
        return usageError("--output: an empty FILE names no file");
    }
    request.options.showFullPath = fullPath;
    request.options.showExtensions = !noExtensions;
    request.options.showDateTime = !noDate;
    resolveListOptions(request, list);

    zentory::platform::catchInterruptions();
    try {
        const int status = run(request);
        if (const int signal = zentory::platform::caughtInterruption(); signal != 0) {
            zentory::platform::endByInterruption(signal);
        }
        return status;
    } catch (const zentory::platform::Interrupted& stop) {
        // Whatever was being written has been taken back by now.
        zentory::platform::endByInterruption(stop.signal());
    } catch (const std::bad_alloc&) {
        // The list was not written, and an existing output file keeps its old text.
        report("not enough memory to list '" + request.folder + "'");
    } catch (const std::exception& e) { // platform::FileError
        report(e.what());
    }
    return kExitFailure;
}
