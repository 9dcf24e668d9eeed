#include "serverlink/DBusValues.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <limits>

namespace qx {

namespace {

// Variants inside variants are unwrapped this deep at most.
constexpr int MaxVariantDepth = 8;

TSetupValue FromVariant(const QVariant& value, int depth) {
    const QMetaType type = value.metaType();
    switch (type.id()) {
        case QMetaType::Bool: return value.toBool();
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong: return std::int64_t{value.toLongLong()};
        case QMetaType::UChar:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong: return std::uint64_t{value.toULongLong()};
        case QMetaType::Double: return value.toDouble();
        case QMetaType::QString: return value.toString().toStdString();
        default: break;
    }
    if (type == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path().toStdString();
    if (type == QMetaType::fromType<QDBusSignature>())
        return value.value<QDBusSignature>().signature().toStdString();
    if (type == QMetaType::fromType<QDBusVariant>() && depth < MaxVariantDepth)
        return FromVariant(value.value<QDBusVariant>().variant(), depth + 1);
    return TUnconvertible{};
}

bool IsIntegerType(int id) {
    switch (id) {
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::UChar:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong: return true;
        default: return false;
    }
}

// Reads an "av" array; false for anything else.
bool ReadVariantArray(const QVariant& value, TSetupValues& out) {
    out.clear();
    if (value.metaType() == QMetaType::fromType<QVariantList>()) {
        for (const QVariant& element : value.toList()) out.push_back(FromVariant(element, 0));
        return true;
    }
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) return false;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentType() != QDBusArgument::ArrayType ||
        argument.currentSignature() != QLatin1String("av"))
        return false;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant element;
        argument >> element;
        out.push_back(FromVariant(element.variant(), 1));
    }
    argument.endArray();
    return true;
}

}  // namespace

TSetupValue SetupValueFromVariant(const QVariant& value) {
    return FromVariant(value, 0);
}

TSetupValues SetupValuesFromVariant(const QVariant& value) {
    TSetupValues values;
    if (!ReadVariantArray(value, values)) values.assign(1, TUnconvertible{});
    return values;
}

bool EventFromMessage(const QDBusMessage& message, int& dispatchId, TSetupValues& arguments) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || !IsIntegerType(args[0].metaType().id())) return false;
    const TSetupValue id = FromVariant(args[0], 0);
    std::int64_t n = 0;
    if (!SetupValueToInteger(id, n) || n < std::numeric_limits<int>::min() ||
        n > std::numeric_limits<int>::max())
        return false;
    if (!ReadVariantArray(args[1], arguments)) return false;
    dispatchId = static_cast<int>(n);
    return true;
}

}  // namespace qx
