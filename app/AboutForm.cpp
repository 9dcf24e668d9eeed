#include "app/AboutForm.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "shell/DialogLayout.h"

namespace qx {

QString VersionLine(const QString& productVersion, const QString& fileVersion) {
    QString build;
    int dots = 0;
    for (int i = 0; i < fileVersion.size(); ++i) {
        if (fileVersion[i] == u'.' && ++dots == 3) {
            build = fileVersion.mid(i + 1);
            break;
        }
    }
    return "Version " + productVersion + " (Build " + build + ")";
}

TfmAbout::TfmAbout(const QString& productVersion, const QString& fileVersion, QWidget* parent)
    : QDialog(parent) {
    setObjectName("fmAbout");
    setWindowTitle("About QX RIRovozer");
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture = new QLabel(this);
    picture->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    if (picture->pixmap().isNull())
        picture->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64));

    AppNameLabel = new QLabel("QX RIRovozer", this);
    AppNameLabel->setObjectName("AppNameLabel");
    QFont big = AppNameLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    AppNameLabel->setFont(big);
    auto* partCaption = new QLabel("Part number:", this);
    PartNumberLabel = new QLabel("XXXX-XXXX", this);
    PartNumberLabel->setObjectName("PartNumberLabel");
    lblVersion = new QLabel(VersionLine(productVersion, fileVersion), this);
    lblVersion->setObjectName("lblVersion");
    auto* description =
        new QLabel("Real-time display client of the Quintrel data acquisition suite.", this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(AppNameLabel, 0, 1, 1, 2);
    grid->addWidget(description, 1, 1, 1, 2);
    grid->addWidget(partCaption, 2, 1);
    grid->addWidget(PartNumberLabel, 2, 2);
    grid->addWidget(lblVersion, 3, 1, 1, 2);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    SetFixedDialogFrame(this);
}

}  // namespace qx
