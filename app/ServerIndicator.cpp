#include "app/ServerIndicator.h"

#include <QHBoxLayout>
#include <QLabel>

namespace qx {

using suite::TServer;

TServerIndicator::TServerIndicator(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlServers");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const char* names[] = {"lblSetupServer", "lblDecodeServer", "lblRtuServer", "lblZOVizServer"};
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        auto* label = new QLabel(this);
        label->setObjectName(names[static_cast<std::size_t>(server)]);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMargin(1);
        labels_[static_cast<std::size_t>(server)] = label;
        layout->addWidget(label);
        ShowStatus(server, {});
    }
}

void TServerIndicator::ShowStatus(TServer server, const TServerStatus& status) {
    QLabel* label = Label(server);
    label->setText(QString::fromStdString(IndicatorText(server, status)));
    label->setToolTip(QString::fromStdString(IndicatorToolTip(server, status)));
    label->setAccessibleName(QString::fromStdString(IndicatorAccessibleName(server, status)));
    // Attached reads as plain text, a missing server greyed, a lost one in red.
    switch (status.State) {
        case THealthState::Attached: label->setStyleSheet(QString()); break;
        case THealthState::Unused:
        case THealthState::NotRunning: {
            // Halfway between text and background: subdued, still legible in any theme.
            const QColor text = palette().color(QPalette::WindowText);
            const QColor back = palette().color(QPalette::Window);
            const QColor grey((text.red() + back.red()) / 2, (text.green() + back.green()) / 2,
                              (text.blue() + back.blue()) / 2);
            label->setStyleSheet(QString("QLabel { color: %1; }").arg(grey.name()));
            break;
        }
        case THealthState::Failed: label->setStyleSheet("QLabel { color: #a05000; }"); break;
        case THealthState::Lost:
            label->setStyleSheet("QLabel { color: #b00000; font-weight: bold; }");
            break;
    }
}

}  // namespace qx
