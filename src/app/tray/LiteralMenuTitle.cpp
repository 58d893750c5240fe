#include "tray/LiteralMenuTitle.h"

#include <QMenu>

using namespace Qt::StringLiterals;

namespace orvane {

MenuTitleReader titleReaderOf(QMenu& menu)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt gives a menu a platform menu only to export it to the desktop's
    // tray; macOS's native menus read "&" as Qt's do.
    if (menu.platformMenu())
        return MenuTitleReader::dbusMenu;
#else
    Q_UNUSED(menu);
#endif
    return MenuTitleReader::qtMenu;
}

QString literalMenuTitle(const QString& text, MenuTitleReader reader)
{
    QString title = text;
    if (reader == MenuTitleReader::qtMenu)
        return title.replace(u'&', u"&&"_s);
    title.replace(u'_', u"__"_s);
    // On its way to D-Bus, Qt turns the first "&" of a title into "_" and
    // leaves the others. Doubled here, that one arrives as "_&": the marker
    // on the "&" itself, which the tray shows as "&".
    if (const qsizetype ampersand = title.indexOf(u'&'); ampersand >= 0)
        title.insert(ampersand, u'&');
    return title;
}

} // namespace orvane
