// The window's pages: one tab sheet and one page per position of the
// layout, made by the factory registered for the page's kind. It is the
// page list the decoder routes readings to.
#pragma once

#include <QIcon>
#include <QString>
#include <array>
#include <functional>
#include <map>

#include "app/PageLayout.h"
#include "pages/WatchTab.h"
#include "readings/ReadingSink.h"
#include "workspace/Workspace.h"

class QMenu;
class QTabWidget;
class QWidget;

namespace qx {

class TMemIniFile;
class TWatchTab;

// A page made inside its tab sheet: the widget that fills the sheet and
// the page behind it (usually the same object).
struct TMadePage {
    QWidget* Widget = nullptr;
    TWatchTab* Page = nullptr;
};

// How the pages of one kind are made and shown.
struct TPageFactory {
    QString SheetName;             // object name of the tab sheet
    QIcon Icon;                    // the tab's image
    QMenu* ContextMenu = nullptr;  // on the sheet, unless it is empty
    std::function<TMadePage(QWidget* sheet)> Make;
};

class TPageSet final : public IPageList {
public:
    explicit TPageSet(QTabWidget& tabs) : tabs_(tabs) {}

    void Register(TPageKind kind, TPageFactory factory);

    const TPageLayout& Layout() const { return layout_; }
    // Takes effect at the next Create.
    void SetLayout(const TPageLayout& layout) { layout_ = layout; }

    // The pages in page order; none while the sheets are being removed.
    int PageCount() const override;
    TWatchTab* Page(int index) const override;
    // The page of the selected tab, or null.
    TWatchTab* ActivePage() const;

    // Adds a sheet and a page for every position, each sheet selected as it
    // is added; then every page loads its section.
    void Create(TMemIniFile& ini);
    // Writes every page's caption and section, then the counts.
    void Save(TMemIniFile& ini) const;
    // Removes every sheet. Events are processed between removals; readings
    // that arrive meanwhile find no page.
    void Remove();
    bool Removing() const { return removing_; }

private:
    QWidget* AddSheet(const TPageFactory* factory, const QString& caption);

    QTabWidget& tabs_;
    TPageLayout layout_;
    std::map<TPageKind, TPageFactory> factories_;
    std::array<TWatchTab*, MaxWatchPages> pages_{};
    bool removing_ = false;
};

}  // namespace qx
