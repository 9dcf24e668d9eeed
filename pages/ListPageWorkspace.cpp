#include "pages/ListPageWorkspace.h"

#include <stdexcept>
#include <vector>

#include "pages/ListPageCore.h"
#include "textscan/Diagnostics.h"
#include "workspace/MemIniFile.h"

namespace qx {

std::vector<std::string> SaveListPageToWorkspace(const TListPageCore& core, TMemIniFile& Ini,
                                                 const std::string& Section) {
    std::vector<std::string> skipped;
    try {
        try {
            Ini.EraseSection(Section);
        } catch (...) {
            LogCaught(diagnostics::Pages, "SaveListPageToWorkspace: erasing the section");
        }
        for (const std::string& key : core.WorkspaceKeys()) {
            try {
                Ini.WriteInteger(Section, key, 1);
            } catch (const std::invalid_argument&) {
                // A name the file cannot hold as a key (blanks around it, a
                // leading ";", "#" or "[", an "="): only that row is not
                // kept, the rows after it still are.
                LogCaught(diagnostics::Pages, "SaveListPageToWorkspace: writing a key");
                skipped.push_back(key);
            }
        }
    } catch (...) {
        // The workspace save reports its own failure.
        LogCaught(diagnostics::Pages, "SaveListPageToWorkspace");
    }
    return skipped;
}

std::string UnsavedSensorMessage(const std::string& key, const std::string& Section) {
    return "The sensor \"" + key + "\" of " + Section +
           " is not kept in the workspace: the file cannot hold its name";
}

void LoadListPageFromWorkspace(TWatchTab& page, IListPageServers* servers, TMemIniFile& Ini,
                               const std::string& Section) {
    std::vector<std::string> keys;
    try {
        keys = Ini.ReadSectionKeys(Section);
    } catch (...) {
        LogCaught(diagnostics::Pages, "LoadListPageFromWorkspace");
        return;
    }
    LoadListPageKeys(page, servers, keys);
}

}  // namespace qx
