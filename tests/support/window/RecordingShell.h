#pragma once
// A Shell that shows nothing: it records every request and answers the folder
// browser and the save dialog with scripted replies.

#include "Shell.h"

#include <optional>
#include <string>
#include <vector>

namespace zentory::test {

class RecordingShell : public window::Shell {
public:
    struct Message {
        std::string text;
        std::string caption;
    };
    // A file-error box as it was shown, with the file and the reason an
    // English one names: "Cannot open the file "PATH".\n\nREASON."
    struct FileErrorBox {
        std::string text;

        std::string path() const {
            const size_t end = text.rfind("\".\n\n");
            const size_t begin = text.find('"');
            return end == std::string::npos || begin >= end
                       ? std::string()
                       : text.substr(begin + 1, end - begin - 1);
        }
        std::string reason() const {
            const size_t blank = text.find("\n\n");
            if (blank == std::string::npos || !text.ends_with('.')) {
                return {};
            }
            return text.substr(blank + 2, text.size() - blank - 3);
        }
    };
    struct SaveRequest {
        std::string proposedName;
        std::vector<window::SaveType> types;
    };

    std::optional<std::string> browseForFolder(const std::string& title) override {
        browseTitles.push_back(title);
        calls.push_back("browse");
        return folderAnswer;
    }
    std::optional<window::SaveChoice>
    askSaveFileName(const std::string& proposedName,
                    const std::vector<window::SaveType>& types) override {
        saveRequests.push_back({proposedName, types});
        calls.push_back("save");
        if (!saveAnswer) {
            return std::nullopt;
        }
        return window::SaveChoice{*saveAnswer, saveTypeAnswer};
    }
    void messageBox(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
        calls.push_back("message " + text);
    }
    void fileErrorBox(const std::string& text) override {
        fileErrors.push_back({text});
        calls.push_back("file error " + fileErrors.back().path());
    }
    void open(const std::string& fileOrAddress) override {
        opened.push_back(fileOrAddress);
        calls.push_back("open " + fileOrAddress);
    }

    // Scripted answers.
    std::optional<std::string> folderAnswer;
    std::optional<std::string> saveAnswer;
    // The position of the type chosen among the save dialog's types.
    int saveTypeAnswer = 0;

    // What was asked, in order.
    std::vector<std::string> browseTitles;
    std::vector<SaveRequest> saveRequests;
    std::vector<Message> messages;
    std::vector<FileErrorBox> fileErrors;
    std::vector<std::string> opened;
    // Every request in the order they came: "browse", "save", "message TEXT",
    // "file error PATH", "open PATH". A box returns once it was closed, so what
    // follows it came after the person closed it.
    std::vector<std::string> calls;
};

} // namespace zentory::test
