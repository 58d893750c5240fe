#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QVariant>

namespace orvane::testsupport {

// One entry of a tray item's menu as the tray shows it.
struct TrayMenuEntry {
    int id = 0;
    // The label as read: the "_" shortcut markers of com.canonical.dbusmenu
    // taken out, "__" read as "_". Separators read "---".
    QString text;
    bool isEnabled = true;
    bool isSeparator = false;
    // The letter marked as the entry's shortcut, if any.
    QString shortcutLetter;
};

// A tray item as the desktop's tray host sees it over D-Bus: the
// org.kde.StatusNotifierItem properties of the item a StatusNotifierWatcher
// took, its menu over com.canonical.dbusmenu, and the clicks on both. Calls
// block until the application answers.
class StatusNotifierItemView {
public:
    explicit StatusNotifierItemView(QString service);

    QVariant property(const QString& name) const;
    QString id() const { return property(QStringLiteral("Id")).toString(); }
    QString title() const { return property(QStringLiteral("Title")).toString(); }
    QString status() const { return property(QStringLiteral("Status")).toString(); }
    QString iconName() const { return property(QStringLiteral("IconName")).toString(); }
    // The pictures the item sends for trays to draw, one per size.
    QList<QImage> iconPixmaps() const;
    QString toolTipTitle() const;

    // The top level of the menu, as the tray reads it before it shows it.
    QList<TrayMenuEntry> menu() const;
    // The entry whose text is text; a test failure when there is none.
    TrayMenuEntry menuEntry(const QString& text) const;
    void click(const TrayMenuEntry& entry) const;
    // A click with the primary button on the item itself.
    void activate() const;

private:
    QString service_;
};

} // namespace orvane::testsupport
