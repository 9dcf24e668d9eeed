#include "pages/ListPageWorkspace.h"

#include <vector>

#include "pages/ListPageCore.h"
#include "textscan/MemIniFile.h"

namespace qx {

void SaveListPageToWorkspace(const TListPageCore& core, TMemIniFile& Ini, const std::string& Section) {
    try {
        try {
            Ini.EraseSection(Section);
        } catch (...) {
        }
        for (const std::string& key : core.WorkspaceKeys()) Ini.WriteInteger(Section, key, 1);
    } catch (...) {
        // The workspace save reports its own failure.
    }
}

void LoadListPageFromWorkspace(TWatchTab& page, IListPageServers* servers, TMemIniFile& Ini,
                               const std::string& Section) {
    std::vector<std::string> keys;
    try {
        keys = Ini.ReadSection(Section);
    } catch (...) {
        return;
    }
    LoadListPageKeys(page, servers, keys);
}

}  // namespace qx
