// The interfaces of the suite's objects as their introspection XML declares
// them (serverlink/dbus/, compiled in): the objects answer exactly the
// methods and signatures declared there, and introspect as declared.
#pragma once

#include <QList>
#include <QString>

#include "serverlink/SuiteProtocol.h"

namespace qx::suite {

struct TArgSpec {
    QString Name;
    QString Type;
    QString Direction;  // "in", "out"; empty for signal arguments
};

struct TMemberSpec {
    QString Name;
    QList<TArgSpec> Args;
    QString InSignature() const;
    QString OutSignature() const;
};

struct TInterfaceSpec {
    QString Name;
    QList<TMemberSpec> Methods;
    QList<TMemberSpec> Signals;

    const TMemberSpec* FindMethod(const QString& name) const;
    // The interface element of an introspection document.
    QString IntrospectionXml() const;
};

// The interfaces of one introspection document; empty when it does not parse.
QList<TInterfaceSpec> ParseInterfaces(const QString& xml);

// The compiled-in documents of a server's object and of the control object.
QString ServerIntrospection(TServer server);
QString ControlIntrospection();

}  // namespace qx::suite
