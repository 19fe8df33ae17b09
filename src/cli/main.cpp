// zentory-cli: the window's text export for scripts and headless machines. Same
// walk, same texts (from the catalogue beside this executable), same bytes.

#include "Version.h"
#include "export/TextExport.h"
#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"
#include "listing/FolderPath.h"
#include "listing/FolderScan.h"
#include "platform/Directory.h"
#include "platform/FileError.h"
#include "platform/Interruption.h"
#include "platform/StandardOutput.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <string>

namespace {

constexpr const char* kName = "zentory-cli";
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The command line, resolved once into plain values.
struct Request {
    std::string folder;
    std::string output;
    bool subFolders = false;
    zentory::ExportOptions options;
};

// One message, one line: control bytes (a line feed in a file name) are
// written as "?", as the export writes them.
void report(std::string what) {
    for (char& c : what) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            c = '?';
        }
    }
    std::cerr << kName << ": " << what << '\n';
}

int usageError(const std::string& what) {
    report(what);
    std::cerr << "Run with --help for more information.\n";
    return kExitUsage;
}

int run(const Request& request) {
    zentory::CTranslator translator;
    translator.Load();
    zentory::ExportLabels labels{translator.GetText(zentory::TextKey::ExportTitle),
                                 translator.GetText(zentory::TextKey::ExportHeading)};

    const bool relative = request.folder.empty() || request.folder.front() != '/';
    const std::string folder = zentory::AbsoluteFolder(
        request.folder, relative ? zentory::platform::workingDirectory() : std::string());
    const zentory::ScanResult scan = zentory::ScanFolder(folder, request.subFolders);
    if (scan.folderError) {
        report(scan.folderError->what());
        return kExitFailure;
    }
    for (const auto& unreadable : scan.unreadableFolders) {
        report(unreadable.what());
    }

    const zentory::ExportRequest job{
        scan.files, folder, request.options, std::move(labels),
        request.options.showDateTime ? zentory::CSettingsStore::GetTimeStamp() : std::string()};
    // A name of the file that standard output is open on (/dev/stdout, or
    // the file itself) writes there as "-" does: at its offset, in its mode.
    if (request.output == "-" || zentory::platform::isStandardOutput(request.output)) {
        zentory::StreamExport(zentory::platform::writeStandardOutput, job);
    } else {
        zentory::WriteExport(request.output, job);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes the files of FOLDER as a plain text list, the way the Orvane Zentory "
                 "window exports it.",
                 kName};
    app.footer("The list has CR LF line ends, as the window writes it.");
    Request request;
    request.output = "-";
    bool fullPath = false;
    bool noExtensions = false;
    bool noDate = false;
    app.add_flag("-r,--subfolders", request.subFolders, "include the files of all sub-folders");
    app.add_flag("-f,--full-path", fullPath, "write each file's full path");
    app.add_flag("-x,--no-extensions", noExtensions, "write file names without their extensions");
    app.add_flag("-d,--no-date", noDate, "leave out the dated footer");
    auto* output = app.add_option("-o,--output", request.output,
                                  "write to FILE (created, or replaced when it exists); '-' or no "
                                  "-o: standard output")
                       ->option_text("FILE");
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
    } catch (const std::exception& e) { // platform::FileError and running out of memory
        report(e.what());
    }
    return kExitFailure;
}
