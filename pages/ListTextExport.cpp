#include "pages/ListTextExport.h"

#include <QFileDevice>
#include <QIODevice>

#include <string>

#include "pages/ListPageCore.h"

namespace qx {

namespace {

bool WriteLine(QIODevice& device, std::string line) {
    line += "\r\n";
    return device.write(line.data(), static_cast<qint64>(line.size())) ==
           static_cast<qint64>(line.size());
}

}  // namespace

bool WriteListText(const TListPageCore& core, QIODevice& device, QString* error) {
    if (!device.isWritable()) {
        if (error) *error = QStringLiteral("The device is not open for writing.");
        return false;
    }
    bool ok = WriteLine(device, TListPageCore::HeaderLine());
    for (int row = 0; ok && row < core.RowCount(); ++row) ok = WriteLine(device, core.RowLine(row));
    // A file buffers its writes: a full disk shows only when they reach it.
    if (ok) {
        if (auto* file = qobject_cast<QFileDevice*>(&device)) ok = file->flush();
    }
    if (!ok && error) *error = device.errorString();
    return ok;
}

QString ListClipboardText(const TListPageCore& core) {
    return QString::fromStdString(core.Text("\r\n", false));
}

}  // namespace qx
