// How the program's own services appear on the session bus: the automation
// server (QXRTD.QXRTDCom) and the desktop service (QXZev.Service). The
// introspection XML of each interface is in services/dbus/; docs/protocol.md
// explains them for client writers.
#pragma once

#include <string_view>

namespace qx::services {

// The automation server: a class object that makes objects, each with its
// methods, its connection point and its reference count.
inline constexpr std::string_view AutomationBusName = "QXRTD.QXRTDCom";
inline constexpr std::string_view ClassObjectPath = "/QXRTDCom";  // objects: /QXRTDCom/N
inline constexpr std::string_view ClassFactoryInterface = "QXRTD.ClassFactory";
inline constexpr std::string_view ObjectInterface = "QXRTD.IQXRTDCom";
inline constexpr std::string_view EventInterface = "QXRTD.IQXRTDComEvents";
inline constexpr std::string_view ConnectionPointInterface = "QXRTD.ConnectionPoint";
inline constexpr std::string_view ReferenceInterface = "QXRTD.Reference";
inline constexpr std::string_view ItemChangeSignal = "OnItemChange";

// Failures of the automation object's methods. Unexpected carries the
// description, the source (the bus name) and the code as its arguments.
inline constexpr std::string_view ErrorUnexpected = "QXRTD.Error.Unexpected";
inline constexpr unsigned ErrorUnexpectedCode = 0x8000FFFFu;
inline constexpr std::string_view ErrorNoConnection = "QXRTD.Error.NoConnection";
inline constexpr std::string_view ErrorNoReference = "QXRTD.Error.NoReference";

// The desktop service, held while the main window exists.
inline constexpr std::string_view DesktopBusName = "QXZev.Service";
inline constexpr std::string_view MainWindowPath = "/MainWindow";
inline constexpr std::string_view MainWindowInterface = "QXZev.MainWindow";
inline constexpr std::string_view ConversationPath = "/QXZev";
inline constexpr std::string_view ConversationInterface = "QXZev.Conversation";
inline constexpr std::string_view DisconnectedSignal = "Disconnected";
inline constexpr std::string_view ErrorNotDefined = "QXZev.Error.NotDefined";
inline constexpr std::string_view ErrorNoConversation = "QXZev.Error.NoConversation";

}  // namespace qx::services
