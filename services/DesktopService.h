// The desktop service: the bus name QXZev.Service, held while the main
// window exists, with the window's restore request at /MainWindow and the
// conversations at /QXZev. The program defines no topic and no item, so a
// conversation answers every request with NotDefined; the window ends all
// conversations when it is asked to close.
#pragma once

#include <functional>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include "services/Conversations.h"

namespace qx::services {

class TBusObject;
class TClientWatch;
struct TBusInterface;

class TDesktopService final : public QObject {
    Q_OBJECT
public:
    // restore runs for each Restore() call, on the main thread.
    TDesktopService(const QDBusConnection& bus, std::function<void()> restore,
                    QObject* parent = nullptr);
    // Ends the conversations, takes the objects off the bus and releases
    // the name.
    ~TDesktopService() override;
    TDesktopService(const TDesktopService&) = delete;
    TDesktopService& operator=(const TDesktopService&) = delete;

    // Puts the objects on the bus and asks for the name, queued behind an
    // owner it already has (another instance of the program). False with
    // the reason when that fails.
    bool Start(QString* error = nullptr);

    // Ends every open conversation; each one's client gets Disconnected.
    void DisconnectAll();
    std::size_t ConversationCount() const { return conversations_.Count(); }

private:
    QDBusMessage Handle(const QDBusMessage& call, const TBusInterface& interface);
    QDBusMessage Conversation(const QDBusMessage& call);

    QDBusConnection bus_;
    std::function<void()> restore_;
    TConversationList conversations_;
    TBusObject* window_ = nullptr;
    TBusObject* conversationObject_ = nullptr;
    TClientWatch* clients_ = nullptr;
    bool windowRegistered_ = false;
    bool conversationsRegistered_ = false;
    bool ownsName_ = false;
};

}  // namespace qx::services
