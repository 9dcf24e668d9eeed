// The status bar's server indicator: one small label per server saying
// whether it is attached, not running, not attached or lost (and since
// when), with a tool tip that says what follows.
#pragma once

#include <QWidget>
#include <array>

#include "protocol/SuiteProtocol.h"
#include "serverlink/ServerHealth.h"

class QLabel;

namespace qx {

class TServerIndicator final : public QWidget {
    Q_OBJECT
public:
    explicit TServerIndicator(QWidget* parent = nullptr);

    void ShowStatus(suite::TServer server, const TServerStatus& status);
    // lblSetupServer, lblDecodeServer, lblRtuServer, lblZOVizServer.
    QLabel* Label(suite::TServer server) const { return labels_[static_cast<std::size_t>(server)]; }

private:
    std::array<QLabel*, 4> labels_{};
};

}  // namespace qx
