// The About box.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace qx {

// "Version " + product version + " (Build " + build + ")", the build being
// the text after the file version's third "." (empty with fewer dots).
QString VersionLine(const QString& productVersion, const QString& fileVersion);

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    TfmAbout(const QString& productVersion, const QString& fileVersion, QWidget* parent = nullptr);

    QLabel* AppNameLabel = nullptr;
    QLabel* PartNumberLabel = nullptr;
    QLabel* lblVersion = nullptr;
};

}  // namespace qx
