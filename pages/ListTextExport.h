// The list page's table as tab-separated text on a device (the saved file)
// or as one text (the clipboard).
#pragma once

#include <QString>

class QIODevice;

namespace qx {

class TListPageCore;

// Writes the header line and one line per row, each ending in CR LF, to an
// open device. False with the device's errorString() in error when a write
// (or, for a file, the final flush) fails; what was written stays.
bool WriteListText(const TListPageCore& core, QIODevice& device, QString* error = nullptr);

// The same lines joined with CR LF, without a line end after the last.
QString ListClipboardText(const TListPageCore& core);

}  // namespace qx
