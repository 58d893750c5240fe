#include "StatusNotifierItemView.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

const QString itemPath = u"/StatusNotifierItem"_s;
const QString itemInterface = u"org.kde.StatusNotifierItem"_s;
const QString menuInterface = u"com.canonical.dbusmenu"_s;

QDBusMessage call(const QString& service, const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message);
    if (reply.type() == QDBusMessage::ErrorMessage)
        ADD_FAILURE() << qPrintable(method) << ": " << qPrintable(reply.errorMessage());
    return reply;
}

// (iiay): width, height, ARGB32 pixels in network byte order.
QImage readImage(const QDBusArgument& argument)
{
    int width = 0;
    int height = 0;
    QByteArray pixels;
    argument.beginStructure();
    argument >> width >> height >> pixels;
    argument.endStructure();
    if (width <= 0 || height <= 0 || pixels.size() != qsizetype(width) * height * 4)
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto* pixel = reinterpret_cast<const uchar*>(pixels.constData()) + (qsizetype(y) * width + x) * 4;
            image.setPixel(x, y, qRgba(pixel[1], pixel[2], pixel[3], pixel[0]));
        }
    }
    return image;
}

QList<QImage> readImages(const QDBusArgument& argument)
{
    QList<QImage> images;
    argument.beginArray();
    while (!argument.atEnd())
        images.append(readImage(argument));
    argument.endArray();
    return images;
}

// A dbusmenu label as a tray shows it: "_" before a letter marks that
// letter and is not shown (the first one only counts); "__" is one "_".
TrayMenuEntry readLabel(const QString& label)
{
    TrayMenuEntry entry;
    for (qsizetype index = 0; index < label.size(); ++index) {
        if (label[index] != u'_' || index + 1 == label.size()) {
            entry.text += label[index];
        } else if (label[index + 1] == u'_') {
            entry.text += u'_';
            ++index;
        } else if (entry.shortcutLetter.isEmpty()) {
            entry.shortcutLetter = label[index + 1];
        }
    }
    return entry;
}

// (ia{sv}av): an id, its properties, its children; only the top level is read.
QList<TrayMenuEntry> readChildren(const QDBusArgument& layout)
{
    int rootId = 0;
    QVariantMap rootProperties;
    layout.beginStructure();
    layout >> rootId >> rootProperties;
    QList<TrayMenuEntry> entries;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const QDBusArgument childLayout = child.variant().value<QDBusArgument>();
        int id = 0;
        QVariantMap properties;
        childLayout.beginStructure();
        childLayout >> id >> properties;
        childLayout.endStructure();
        if (!properties.value(u"visible"_s, true).toBool())
            continue;
        TrayMenuEntry entry = properties.value(u"type"_s) == u"separator"_s
            ? TrayMenuEntry{.text = u"---"_s, .isSeparator = true}
            : readLabel(properties.value(u"label"_s).toString());
        entry.id = id;
        entry.isEnabled = properties.value(u"enabled"_s, true).toBool();
        entries.append(entry);
    }
    layout.endArray();
    layout.endStructure();
    return entries;
}

} // namespace

StatusNotifierItemView::StatusNotifierItemView(QString service) : service_(std::move(service)) {}

QVariant StatusNotifierItemView::property(const QString& name) const
{
    const QDBusMessage reply =
        call(service_, itemPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {itemInterface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QList<QImage> StatusNotifierItemView::iconPixmaps() const
{
    return readImages(property(u"IconPixmap"_s).value<QDBusArgument>());
}

QString StatusNotifierItemView::toolTipTitle() const
{
    // (sa(iiay)ss): icon name, pictures, title, description.
    const QDBusArgument toolTip = property(u"ToolTip"_s).value<QDBusArgument>();
    QString iconName;
    QString title;
    toolTip.beginStructure();
    toolTip >> iconName;
    readImages(toolTip);
    toolTip >> title;
    toolTip.endStructure();
    return title;
}

QList<TrayMenuEntry> StatusNotifierItemView::menu() const
{
    const QString menuPath = property(u"Menu"_s).value<QDBusObjectPath>().path();
    call(service_, menuPath, menuInterface, u"AboutToShow"_s, {0});
    const QDBusMessage layout =
        call(service_, menuPath, menuInterface, u"GetLayout"_s, {0, -1, QStringList()});
    if (layout.arguments().size() < 2)
        return {};
    return readChildren(layout.arguments().at(1).value<QDBusArgument>());
}

TrayMenuEntry StatusNotifierItemView::menuEntry(const QString& text) const
{
    for (const TrayMenuEntry& entry : menu()) {
        if (entry.text == text)
            return entry;
    }
    ADD_FAILURE() << "no menu entry " << qPrintable(text);
    return {};
}

void StatusNotifierItemView::click(const TrayMenuEntry& entry) const
{
    const QString menuPath = property(u"Menu"_s).value<QDBusObjectPath>().path();
    call(service_, menuPath, menuInterface, u"Event"_s,
         {entry.id, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)),
          uint(QDateTime::currentSecsSinceEpoch())});
}

void StatusNotifierItemView::activate() const
{
    call(service_, itemPath, itemInterface, u"Activate"_s, {0, 0});
}

} // namespace orvane::testsupport
