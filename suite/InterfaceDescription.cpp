#include "suite/InterfaceDescription.h"

#include <QXmlStreamReader>

#include "suite/DBusXml.h"

namespace qx::suite {

namespace {

QString Signature(const QList<TArgDescription>& args, const QString& direction) {
    QString s;
    for (const TArgDescription& a : args)
        if (a.Direction == direction) s += a.Type;
    return s;
}

QString Escaped(const QString& s) {
    return s.toHtmlEscaped();
}

}  // namespace

QString TMemberDescription::InSignature() const {
    return Signature(Args, QStringLiteral("in"));
}
QString TMemberDescription::OutSignature() const {
    return Signature(Args, QStringLiteral("out"));
}

const TMemberDescription* TInterfaceDescription::FindMethod(const QString& name) const {
    for (const TMemberDescription& m : Methods)
        if (m.Name == name) return &m;
    return nullptr;
}

QString TInterfaceDescription::IntrospectionXml() const {
    QString xml = QStringLiteral("  <interface name=\"%1\">\n").arg(Escaped(Name));
    auto member = [&](const TMemberDescription& m, const char* kind) {
        xml += QStringLiteral("    <%1 name=\"%2\">\n").arg(QLatin1String(kind), Escaped(m.Name));
        for (const TArgDescription& a : m.Args) {
            xml += QStringLiteral("      <arg name=\"%1\" type=\"%2\"")
                       .arg(Escaped(a.Name), Escaped(a.Type));
            if (!a.Direction.isEmpty())
                xml += QStringLiteral(" direction=\"%1\"").arg(Escaped(a.Direction));
            xml += QStringLiteral("/>\n");
        }
        xml += QStringLiteral("    </%1>\n").arg(QLatin1String(kind));
    };
    for (const TMemberDescription& m : Methods) member(m, "method");
    for (const TMemberDescription& s : Signals) member(s, "signal");
    xml += QStringLiteral("  </interface>\n");
    return xml;
}

QList<TInterfaceDescription> ParseInterfaces(const QString& xml) {
    QList<TInterfaceDescription> interfaces;
    QXmlStreamReader reader(xml);
    TMemberDescription* member = nullptr;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto name = reader.name();
            const QString attr = reader.attributes().value(QLatin1String("name")).toString();
            if (name == QLatin1String("interface")) {
                interfaces.append(TInterfaceDescription{attr, {}, {}});
                member = nullptr;
            } else if (!interfaces.isEmpty() && name == QLatin1String("method")) {
                interfaces.last().Methods.append(TMemberDescription{attr, {}});
                member = &interfaces.last().Methods.last();
            } else if (!interfaces.isEmpty() && name == QLatin1String("signal")) {
                interfaces.last().Signals.append(TMemberDescription{attr, {}});
                member = &interfaces.last().Signals.last();
            } else if (member && name == QLatin1String("arg")) {
                const QXmlStreamAttributes a = reader.attributes();
                QString direction = a.value(QLatin1String("direction")).toString();
                const bool isMethod = !interfaces.last().Methods.isEmpty() &&
                                      member == &interfaces.last().Methods.last();
                if (isMethod && direction.isEmpty()) direction = QStringLiteral("in");
                member->Args.append(
                    TArgDescription{attr, a.value(QLatin1String("type")).toString(), direction});
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
