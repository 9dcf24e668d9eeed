// The program's own help window over the HTML manual in the home directory.
#pragma once

#include <QMainWindow>
#include <QString>

class QTextBrowser;

namespace qx {

class THelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit THelpWindow(QString manualFolder, QWidget* parent = nullptr);

    void ShowIndex();
    void ShowContents();
    // The topic of a help context number; the index when it has none.
    void ShowContext(int context);

    QString CurrentPage() const;

private:
    void Open(const QString& page);

    QString folder_;
    QTextBrowser* browser_;
};

}  // namespace qx
