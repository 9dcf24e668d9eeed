#include "app/StandardPages.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "app/PageSet.h"
#include "pages/ChartTab.h"
#include "pages/ListTab.h"

namespace qx {
namespace {

// The tab image of chart pages: axes and a line.
QIcon ChartTabIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.2));
    painter.drawLine(QPointF(2.5, 1.5), QPointF(2.5, 13.5));
    painter.drawLine(QPointF(2.5, 13.5), QPointF(14.5, 13.5));
    painter.setPen(QPen(QColor(30, 110, 200), 1.6));
    const QPointF line[] = {{3.5, 10.5}, {6.5, 6.5}, {9.5, 9.0}, {14.0, 3.0}};
    painter.drawPolyline(line, 4);
    return QIcon(pixmap);
}

}  // namespace

void RegisterStandardPages(TPageSet& pages, IListPageServers* servers,
                           const TStandardPageMenus& menus,
                           std::function<void(const std::string&)> status) {
    pages.Register(
        TPageKind::List,
        {"tsWatch", QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView),
         menus.List, [servers, status](QWidget* sheet) {
             auto* page = new TfrmListTab(sheet, servers);
             page->SetStatusReporter(status);
             return TMadePage{page, page};
         }});
    pages.Register(TPageKind::Chart, {"tsGraph", ChartTabIcon(), menus.Chart, [](QWidget* sheet) {
                                          auto* page = new TfrmChartTab(sheet);
                                          return TMadePage{page, page};
                                      }});
}

}  // namespace qx
