#include "app/HelpWindow.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>

namespace qx {

THelpWindow::THelpWindow(QString manualFolder, QWidget* parent)
    : QMainWindow(parent), folder_(std::move(manualFolder)), browser_(new QTextBrowser(this)) {
    setObjectName("HelpWindow");
    setWindowTitle("QX RIRovozer Help");
    resize(720, 560);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({folder_});
    setCentralWidget(browser_);

    auto* bar = addToolBar("Navigation");
    bar->setMovable(false);
    QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "&Back");
    back->setShortcut(QKeySequence::Back);
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "&Forward");
    forward->setShortcut(QKeySequence::Forward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    QAction* contents =
        bar->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), "&Contents");
    connect(contents, &QAction::triggered, this, &THelpWindow::ShowContents);
    QAction* close = new QAction("&Close", this);
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    back->setEnabled(false);
    forward->setEnabled(false);
}

void THelpWindow::Open(const QString& page) {
    const QString path = QDir(folder_).filePath(page);
    if (QFileInfo::exists(path)) {
        browser_->setSource(QUrl::fromLocalFile(path));
    } else {
        browser_->setHtml("<h2>Help is not installed</h2><p>The manual was not found in " +
                          folder_.toHtmlEscaped() + ".</p>");
    }
    show();
    raise();
    activateWindow();
}

void THelpWindow::ShowIndex() {
    Open("index.html");
}
void THelpWindow::ShowContents() {
    Open("contents.html");
}

void THelpWindow::ShowContext(int context) {
    const QString topic = QString("topic%1.html").arg(context);
    Open(QFileInfo::exists(QDir(folder_).filePath(topic)) ? topic : QString("index.html"));
}

QString THelpWindow::CurrentPage() const {
    return browser_->source().fileName();
}

}  // namespace qx
