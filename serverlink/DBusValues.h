// The one place where the suite's D-Bus values become setup values: method
// replies and event signals.
#pragma once

#include <QVariant>

#include "serverlink/SetupRecords.h"

class QDBusMessage;

namespace qx {

// A scalar D-Bus value (booleans, integers, doubles, strings, object paths,
// signatures, variants of these); anything else is TUnconvertible.
TSetupValue SetupValueFromVariant(const QVariant& value);

// The elements of an "av" value. Anything other than an array of variants
// gives a single TUnconvertible value, so that no record converts from it.
TSetupValues SetupValuesFromVariant(const QVariant& value);

// The dispatch id and positional arguments of an "Event" signal; false when
// the signal is not an integer followed by an array of variants.
bool EventFromMessage(const QDBusMessage& message, int& dispatchId, TSetupValues& arguments);

}  // namespace qx
