// The page kinds the program ships: list pages and chart pages. A new page
// class for a kind replaces its factory here; the window is not touched.
#pragma once

class QMenu;

namespace qx {

class IListPageServers;
class TPageSet;

struct TStandardPageMenus {
    QMenu* List = nullptr;   // the sheet menu of list pages
    QMenu* Chart = nullptr;  // the sheet menu of chart pages
};

// servers: what list pages ask for current values; may be null.
void RegisterStandardPages(TPageSet& pages, IListPageServers* servers,
                           const TStandardPageMenus& menus);

}  // namespace qx
