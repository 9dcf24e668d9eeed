// The page kinds the program ships: list pages and chart pages. A new page
// class for a kind replaces its factory here; the window is not touched.
#pragma once

#include <functional>
#include <string>

class QMenu;

namespace qx {

class IListPageServers;
class TPageSet;

struct TStandardPageMenus {
    QMenu* List = nullptr;   // the sheet menu of list pages
    QMenu* Chart = nullptr;  // the sheet menu of chart pages
};

// servers: what list pages ask for current values; may be null. status:
// where list pages report what they cannot keep in the workspace.
void RegisterStandardPages(TPageSet& pages, IListPageServers* servers,
                           const TStandardPageMenus& menus,
                           std::function<void(const std::string&)> status = {});

}  // namespace qx
