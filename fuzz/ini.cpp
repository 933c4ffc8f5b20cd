// INI files: the input becomes a settings file that is read (sections, keys, strings, numbers)
// and then written to, as the program does with its own settings and with Opera's "opera6.ini".

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/FuzzSystem.h"
#include "platform/IniFile.h"

using platform::IniFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    const std::string path = "C:\\Pennawick\\pennawick.ini";
    system.WriteFile(path, fuzz::Bytes(data, size));

    std::string value;
    IniFile::GetString("CONFIG", "DEBUG", "3", 260, value, path);
    IniFile::GetInt("CONFIG", "DEBUG", 3, path);
    IniFile::GetString("User Prefs", "Hot List File Ver2", "", 260, value, path);
    // Every key of every section, read back through the lookups.
    const std::vector<std::string> sections = IniFile::SectionNames(path);
    for (size_t i = 0; i < sections.size() && i < 4; ++i) {
        const std::vector<std::string> keys = IniFile::KeyNames(sections[i], path);
        for (size_t j = 0; j < keys.size() && j < 4; ++j) {
            IniFile::GetString(sections[i], keys[j], "", 8, value, path);
            IniFile::GetInt(sections[i], keys[j], 0, path);
        }
    }
    // A write keeps the rest of the file; the value written must read back.
    if (IniFile::WriteString("CONFIG", "WORKFOLDER", "C:\\Pennawick\\", path)) {
        IniFile::GetString("CONFIG", "WORKFOLDER", "", 260, value, path);
        if (value != "C:\\Pennawick\\") __builtin_trap();
    }
    IniFile::DeleteKey("CONFIG", "DEBUG", path);
    if (!sections.empty()) IniFile::DeleteSection(sections[0], path);
    return 0;
}
