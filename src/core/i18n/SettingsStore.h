#pragma once
// Access to "config.ini", the folders of the executable and of the shipped
// files, and the system-language value, plus the small conversions and the
// time stamp that the catalogue and the export use. Nothing is cached: every
// read opens the file anew.
//
// Which config.ini: in a portable folder the one beside the executable, read
// and rewritten. In an installed tree (platform/ProgramFolders.h) the user's
// own one when it exists, else the shipped one; a write always goes to the
// user's own file, made from the shipped one on the first write. When the
// user's settings folder is not the user's own (root with another user's
// XDG_CONFIG_HOME), the shipped file is read and a write is refused.
//
// The file is pairs of lines: a line holding a key's name exactly, then the line
// holding its value. Quirks that stored files and callers rely on:
//  - a read consumes the value line (it is never tested as a key), and the last
//    key line of that name wins; a key line that is the last line reads as "";
//  - a write tests every line, value lines included, replaces the line after
//    every key line of that name, never adds a missing key, and rewrites the
//    whole file with CR LF after every line. Bytes from a 0x1A on, which
//    reading never sees, are written back as they were;
//  - a line's text ends at its first NUL byte, for keys and values alike (a
//    "Product ID" of "h<NUL>d" reads "h"); a write keeps the bytes after it in
//    every line it does not replace.

#include <string>
#include <vector>

namespace zentory {

class CSettingsStore {
public:
    // Folder of the running executable, without a trailing separator.
    std::string GetExeFolder() const;
    // Folder of the shipped files (translation file, help page), without a
    // trailing separator: the executable's, or ../share/zentory in an installed tree.
    std::string GetDataFolder() const;
    // The value of `key` in config.ini, or "". Throws platform::FileError.
    std::string ReadSetting(const std::string& key) const;
    // Replaces the value of an existing `key`. Throws platform::FileError; on a
    // failure the file is left exactly as it was.
    void WriteSetting(const std::string& key, const std::string& value) const;
    // The string value `valueName` of the registry key m_strRegistryKey.
    std::string ReadRegistryString(const std::string& valueName) const;

    // Every byte keeps its place value; bytes that are no digit add nothing.
    static int ParseDecimal(const std::string& text);
    // As ParseDecimal with the digits "0123456789abcdef" (lower case only).
    static int ParseHex(const std::string& text);
    // Whether the text file at `path` holds a line equal to `line`. Throws platform::FileError.
    static bool FileContainsLine(const std::string& path, const std::string& line);

    // Twelve digits: year, month, day, hour, minute of now in local time.
    static std::string GetTimeStamp();
    // `text` with "0"s in front until it is `width` long; never shortened.
    static std::string PadLeft(std::string text, int width);

    // One line saying why the user's own settings folder is left alone (it
    // or a folder on its way is another user's); "" when it is used or there
    // is none.
    std::string UserSettingsRefusal() const;
    // Path of the config.ini that reads come from.
    std::string SettingsPath() const;
    // Path of the translation file: the data folder, "/", the value of
    // "Product ID", then "trl.ini". Throws platform::FileError.
    std::string TranslationFilePath() const;

    std::string m_strRegistryKey;
};

// The value of `key` in the lines of a settings file (the reading rules above).
std::string readSettingFromLines(const std::vector<std::string>& lines, const std::string& key);
// Replaces the values of `key` in `lines` (the writing rules above).
void writeSettingInLines(std::vector<std::string>& lines, const std::string& key,
                         const std::string& value);

} // namespace zentory
