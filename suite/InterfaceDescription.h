// The interfaces of the suite's objects as their introspection XML declares
// them (protocol/dbus/, compiled in): the objects answer exactly the
// methods and signatures declared there, and introspect as declared.
#pragma once

#include <QList>
#include <QString>

#include "protocol/SuiteProtocol.h"

namespace qx::suite {

struct TArgDescription {
    QString Name;
    QString Type;
    QString Direction;  // "in", "out"; empty for signal arguments
};

struct TMemberDescription {
    QString Name;
    QList<TArgDescription> Args;
    QString InSignature() const;
    QString OutSignature() const;
};

struct TInterfaceDescription {
    QString Name;
    QList<TMemberDescription> Methods;
    QList<TMemberDescription> Signals;

    const TMemberDescription* FindMethod(const QString& name) const;
    // The interface element of an introspection document.
    QString IntrospectionXml() const;
};

// The interfaces of one introspection document; empty when it does not parse.
QList<TInterfaceDescription> ParseInterfaces(const QString& xml);

// The compiled-in documents of a server's object and of the control object.
QString ServerIntrospection(TServer server);
QString ControlIntrospection();

}  // namespace qx::suite
