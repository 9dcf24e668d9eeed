#include "suite/InterfaceSpec.h"

#include <QXmlStreamReader>

#include "suite/DBusXml.h"

namespace qx::suite {

namespace {

QString Signature(const QList<TArgSpec>& args, const QString& direction) {
    QString s;
    for (const TArgSpec& a : args)
        if (a.Direction == direction) s += a.Type;
    return s;
}

QString Escaped(const QString& s) {
    return s.toHtmlEscaped();
}

}  // namespace

QString TMemberSpec::InSignature() const {
    return Signature(Args, QStringLiteral("in"));
}
QString TMemberSpec::OutSignature() const {
    return Signature(Args, QStringLiteral("out"));
}

const TMemberSpec* TInterfaceSpec::FindMethod(const QString& name) const {
    for (const TMemberSpec& m : Methods)
        if (m.Name == name) return &m;
    return nullptr;
}

QString TInterfaceSpec::IntrospectionXml() const {
    QString xml = QStringLiteral("  <interface name=\"%1\">\n").arg(Escaped(Name));
    auto member = [&](const TMemberSpec& m, const char* kind) {
        xml += QStringLiteral("    <%1 name=\"%2\">\n").arg(QLatin1String(kind), Escaped(m.Name));
        for (const TArgSpec& a : m.Args) {
            xml += QStringLiteral("      <arg name=\"%1\" type=\"%2\"")
                       .arg(Escaped(a.Name), Escaped(a.Type));
            if (!a.Direction.isEmpty())
                xml += QStringLiteral(" direction=\"%1\"").arg(Escaped(a.Direction));
            xml += QStringLiteral("/>\n");
        }
        xml += QStringLiteral("    </%1>\n").arg(QLatin1String(kind));
    };
    for (const TMemberSpec& m : Methods) member(m, "method");
    for (const TMemberSpec& s : Signals) member(s, "signal");
    xml += QStringLiteral("  </interface>\n");
    return xml;
}

QList<TInterfaceSpec> ParseInterfaces(const QString& xml) {
    QList<TInterfaceSpec> interfaces;
    QXmlStreamReader reader(xml);
    TMemberSpec* member = nullptr;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto name = reader.name();
            const QString attr = reader.attributes().value(QLatin1String("name")).toString();
            if (name == QLatin1String("interface")) {
                interfaces.append(TInterfaceSpec{attr, {}, {}});
                member = nullptr;
            } else if (!interfaces.isEmpty() && name == QLatin1String("method")) {
                interfaces.last().Methods.append(TMemberSpec{attr, {}});
                member = &interfaces.last().Methods.last();
            } else if (!interfaces.isEmpty() && name == QLatin1String("signal")) {
                interfaces.last().Signals.append(TMemberSpec{attr, {}});
                member = &interfaces.last().Signals.last();
            } else if (member && name == QLatin1String("arg")) {
                const QXmlStreamAttributes a = reader.attributes();
                QString direction = a.value(QLatin1String("direction")).toString();
                const bool isMethod = !interfaces.last().Methods.isEmpty() &&
                                      member == &interfaces.last().Methods.last();
                if (isMethod && direction.isEmpty()) direction = QStringLiteral("in");
                member->Args.append(
                    TArgSpec{attr, a.value(QLatin1String("type")).toString(), direction});
            }
        } else if (reader.isEndElement()) {
            const auto name = reader.name();
            if (name == QLatin1String("method") || name == QLatin1String("signal"))
                member = nullptr;
        }
    }
    if (reader.hasError()) return {};
    return interfaces;
}

QString ServerIntrospection(TServer server) {
    switch (server) {
        case TServer::Setup: return QString::fromUtf8(kSetupXml);
        case TServer::Decode: return QString::fromUtf8(kDecodeXml);
        case TServer::Rtu: return QString::fromUtf8(kRtuXml);
        case TServer::ZOViz: return QString::fromUtf8(kMBRtuXml);
    }
    return {};
}

QString ControlIntrospection() {
    return QString::fromUtf8(kControlXml);
}

}  // namespace qx::suite
