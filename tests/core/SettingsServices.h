#pragma once

#include <filesystem>
#include <limits>
#include <string>

#include "FakeHotKeyService.h"
#include "TemporaryFolder.h"
#include "app/AutostartEntry.h"
#include "data/AppDataStore.h"
#include "data/DurableFile.h"
#include "shell/GlobalHotKeyManager.h"

namespace velumo {

// What saving the settings works with, in a folder of its own: the data
// file, hot keys on a stand-in desktop and the login-start entry.
struct SettingsServices {
    std::string fileContents() const {
        return DurableFile::read(file, std::numeric_limits<std::size_t>::max()).value_or("");
    }

    TemporaryFolder temporary;
    std::filesystem::path file = temporary.path() / "com.orvantis.velumo" / "app-data.json";
    AppDataStore store{file};
    FakeHotKeyService service;
    GlobalHotKeyManager hotKeys{&service};
    AutostartEntry autostart{temporary.path() / "autostart" / "com.orvantis.velumo.desktop",
                             temporary.program("velumo")};
};

}  // namespace velumo
