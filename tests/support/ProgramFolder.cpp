#include "ProgramFolder.h"

#include "Files.h"

#include "i18n/SettingsStore.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace zentory::test {

std::string shippedFolder() {
    return std::string(ZENTORY_SOURCE_DIR) + "/res";
}

std::string shippedFile(const std::string& name) {
    return shippedFolder() + "/" + name;
}

ProgramFolder::ProgramFolder(const std::string& tag) {
    for (const char* name : {"config.ini", "zentorytrl.ini"}) {
        writeBytes(file(name), readBytes(shippedFile(name)));
        fs::permissions(file(name), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::replace);
    }
    setLanguage(tag);
}

void ProgramFolder::setLanguage(const std::string& tag) {
    CSettingsStore().WriteSetting("Language", tag);
}

void ProgramFolder::remove(const std::string& name) {
    fs::remove(file(name));
}

void ProgramFolder::writeFile(const std::string& name, const std::string& bytes) {
    writeBytes(file(name), bytes);
}

} // namespace zentory::test
