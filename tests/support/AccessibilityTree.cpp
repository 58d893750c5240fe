#include "AccessibilityTree.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QThread>

#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

const QString accessibleInterface = u"org.a11y.atspi.Accessible"_s;

// AT-SPI's state bits (AtspiStateType).
constexpr int stateEditable = 7;
constexpr int stateEnabled = 8;
constexpr int stateShowing = 25;

struct ObjectReference {
    QString service;
    QString path;
};

QDBusMessage call(QDBusConnection& bus, const ObjectReference& object, const QString& interface,
                  const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(object.service, object.path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = bus.call(message, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw std::runtime_error((u"AT-SPI call "_s + method + u" failed: "_s + reply.errorMessage()).toStdString());
    return reply;
}

QList<ObjectReference> childrenOf(QDBusConnection& bus, const ObjectReference& object)
{
    const QDBusArgument list = call(bus, object, accessibleInterface, u"GetChildren"_s).arguments().value(0)
                                   .value<QDBusArgument>();
    QList<ObjectReference> children;
    list.beginArray();
    while (!list.atEnd()) {
        ObjectReference child;
        QDBusObjectPath path;
        list.beginStructure();
        list >> child.service >> path;
        list.endStructure();
        child.path = path.path();
        children.append(child);
    }
    list.endArray();
    return children;
}

QString nameOf(QDBusConnection& bus, const ObjectReference& object)
{
    const QDBusMessage reply = call(bus, object, u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
                                    {accessibleInterface, u"Name"_s});
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

AccessibleNode read(QDBusConnection& bus, const ObjectReference& object)
{
    AccessibleNode node;
    node.name = nameOf(bus, object);
    node.roleName = call(bus, object, accessibleInterface, u"GetRoleName"_s).arguments().value(0).toString();
    const QDBusArgument stateWords = call(bus, object, accessibleInterface, u"GetState"_s).arguments().value(0)
                                         .value<QDBusArgument>();
    QList<uint> words;
    stateWords >> words;
    const auto has = [&words](int state) {
        return words.size() > state / 32 && (words[state / 32] >> (state % 32)) & 1u;
    };
    node.isShowing = has(stateShowing);
    node.isEnabled = has(stateEnabled);
    node.isEditable = has(stateEditable);
    for (const ObjectReference& child : childrenOf(bus, object))
        node.children.append(read(bus, child));
    return node;
}

void flatten(const AccessibleNode& node, QList<const AccessibleNode*>& all)
{
    all.append(&node);
    for (const AccessibleNode& child : node.children)
        flatten(child, all);
}

} // namespace

AccessibleNode readAccessibleApplication(const QString& applicationName, int timeoutMilliseconds)
{
    QDBusInterface launcher(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s, QDBusConnection::sessionBus());
    const QDBusReply<QString> address = launcher.call(u"GetAddress"_s);
    if (!address.isValid())
        throw std::runtime_error("no accessibility bus: " + address.error().message().toStdString());
    const QString connectionName = u"orvane-screen-reader"_s;
    QDBusConnection bus = QDBusConnection::connectToBus(address.value(), connectionName);
    const ObjectReference registry{u"org.a11y.atspi.Registry"_s, u"/org/a11y/atspi/accessible/root"_s};
    const QDeadlineTimer deadline(timeoutMilliseconds);
    std::optional<AccessibleNode> application;
    while (!application) {
        for (const ObjectReference& child : childrenOf(bus, registry)) {
            if (nameOf(bus, child) == applicationName)
                application = read(bus, child);
        }
        if (!application && deadline.hasExpired())
            throw std::runtime_error("the application did not appear on the accessibility bus");
        QThread::msleep(50);
    }
    QDBusConnection::disconnectFromBus(connectionName);
    return *application;
}

QList<const AccessibleNode*> flattened(const AccessibleNode& root)
{
    QList<const AccessibleNode*> all;
    flatten(root, all);
    return all;
}

} // namespace orvane::testsupport
