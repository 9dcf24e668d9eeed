#include "app/PageSet.h"

#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

#include "pages/WatchTab.h"

namespace qx {

void TPageSet::Register(TPageKind kind, TPageFactory factory) {
    factories_[kind] = std::move(factory);
}

int TPageSet::PageCount() const {
    return removing_ ? 0 : layout_.Count();
}

TWatchTab* TPageSet::Page(int index) const {
    return index >= 0 && index < MaxWatchPages ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

TWatchTab* TPageSet::ActivePage() const {
    const int index = tabs_.currentIndex();
    return index >= 0 && index < PageCount() ? Page(index) : nullptr;
}

QWidget* TPageSet::AddSheet(const TPageFactory* factory, const QString& caption) {
    auto* sheet = new QWidget;
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    QIcon icon;
    if (factory) {
        sheet->setObjectName(factory->SheetName);
        icon = factory->Icon;
        if (QMenu* menu = factory->ContextMenu) {
            sheet->setContextMenuPolicy(Qt::CustomContextMenu);
            QObject::connect(sheet, &QWidget::customContextMenuRequested, sheet,
                             [sheet, menu](const QPoint& at) {
                                 if (!menu->isEmpty()) menu->popup(sheet->mapToGlobal(at));
                             });
        }
    }
    tabs_.addTab(sheet, icon, caption);
    return sheet;
}

void TPageSet::Create(TMemIniFile& ini) {
    const int count = layout_.Count();
    for (int i = 0; i < count; ++i) {
        const auto found = factories_.find(layout_.Kind(i));
        const TPageFactory* factory = found == factories_.end() ? nullptr : &found->second;
        QWidget* sheet = AddSheet(factory, QString::fromStdString(layout_.ReadCaption(ini, i)));
        // A kind without a factory keeps its sheet, empty and without a page.
        TWatchTab* page = nullptr;
        if (factory && factory->Make) {
            const TMadePage made = factory->Make(sheet);
            if (made.Widget) {
                sheet->layout()->addWidget(made.Widget);
                made.Widget->show();
            }
            page = made.Page;
        }
        pages_[static_cast<std::size_t>(i)] = page;
        tabs_.setCurrentWidget(sheet);
    }
    for (int i = 0; i < count; ++i) {
        if (TWatchTab* page = Page(i)) page->LoadFromWorkspace(ini, layout_.Section(i));
    }
}

void TPageSet::Save(TMemIniFile& ini) const {
    for (int i = 0; i < PageCount(); ++i) {
        layout_.WriteCaption(ini, i, tabs_.tabText(i).toStdString());
        if (TWatchTab* page = Page(i)) page->SaveToWorkspace(ini, layout_.Section(i));
    }
    layout_.WriteCounts(ini);
}

void TPageSet::Remove() {
    removing_ = true;
    pages_.fill(nullptr);
    while (tabs_.count() > 0) {
        tabs_.setCurrentIndex(0);
        delete tabs_.widget(0);
        QApplication::processEvents();
    }
    removing_ = false;
}

}  // namespace qx
