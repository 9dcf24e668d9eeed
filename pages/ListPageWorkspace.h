// The list page's sensor list in the workspace file: one integer key of value
// 1 per row, named station "," sensor.
#pragma once

#include <string>
#include <vector>

namespace qx {

class IListPageServers;
class TListPageCore;
class TMemIniFile;
class TWatchTab;

// Erases the section (a failure is ignored) and writes every row's key in
// row order. A key the file cannot hold is skipped and returned, in row
// order; any other error ends the operation silently.
std::vector<std::string> SaveListPageToWorkspace(const TListPageCore& core, TMemIniFile& Ini,
                                                 const std::string& Section);

// The status message for a row whose key SaveListPageToWorkspace skipped.
std::string UnsavedSensorMessage(const std::string& key, const std::string& Section);

// Reads every key name of the section, names that differ only in letter case
// included, and loads them in file order through the page's own AddSensor,
// fetching each sensor's current values (see LoadListPageKeys). Key values
// are not read.
void LoadListPageFromWorkspace(TWatchTab& page, IListPageServers* servers, TMemIniFile& Ini,
                               const std::string& Section);

}  // namespace qx
