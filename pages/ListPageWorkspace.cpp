#include "pages/ListPageWorkspace.h"

#include <stdexcept>
#include <vector>

#include "pages/ListPageCore.h"
#include "textscan/Diagnostics.h"
#include "workspace/MemIniFile.h"

namespace qx {

void SaveListPageToWorkspace(const TListPageCore& core, TMemIniFile& Ini,
                             const std::string& Section) {
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
            }
        }
    } catch (...) {
        // The workspace save reports its own failure.
        LogCaught(diagnostics::Pages, "SaveListPageToWorkspace");
    }
}

void LoadListPageFromWorkspace(TWatchTab& page, IListPageServers* servers, TMemIniFile& Ini,
                               const std::string& Section) {
    std::vector<std::string> keys;
    try {
        keys = Ini.ReadSection(Section);
    } catch (...) {
        LogCaught(diagnostics::Pages, "LoadListPageFromWorkspace");
        return;
    }
    LoadListPageKeys(page, servers, keys);
}

}  // namespace qx
