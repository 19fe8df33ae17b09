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

void report(const std::string& what) {
    std::cerr << kName << ": " << what << '\n';
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
    if (request.output.empty() || request.output == "-") {
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
    Request request;
    bool fullPath = false;
    bool noExtensions = false;
    bool noDate = false;
    app.add_flag("-r,--subfolders", request.subFolders, "include the files of all sub-folders");
    app.add_flag("-f,--full-path", fullPath, "write each file's full path");
    app.add_flag("-x,--no-extensions", noExtensions, "write file names without their extensions");
    app.add_flag("-d,--no-date", noDate, "leave out the dated footer");
    app.add_option("-o,--output", request.output,
                   "write to FILE (created, or replaced when it exists); '-' or no -o: standard "
                   "output")
        ->option_text("FILE");
    app.add_option("FOLDER", request.folder, "the folder to list")->required()->type_name("");
    app.set_version_flag("--version", std::string(kName) + " " + zentory::kVersion);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            return app.exit(e); // --help, --version
        }
        report(e.what());
        std::cerr << app.help();
        return kExitUsage;
    }
    request.options.showFullPath = fullPath;
    request.options.showExtensions = !noExtensions;
    request.options.showDateTime = !noDate;

    try {
        return run(request);
    } catch (const std::exception& e) { // platform::FileError and running out of memory
        report(e.what());
    }
    return kExitFailure;
}
