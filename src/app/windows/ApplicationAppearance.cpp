#include "windows/ApplicationAppearance.h"

#include <QApplication>
#include <QFont>
#include <QQuickStyle>

using namespace Qt::StringLiterals;

namespace orvane {

void applyApplicationAppearance()
{
    QApplication::setStyle(u"Fusion"_s);
    QQuickStyle::setStyle(u"Fusion"_s);
    QFont font = QApplication::font();
    font.setFamilies({font.family(), u"Noto Sans CJK JP"_s});
    QApplication::setFont(font);
}

} // namespace orvane
