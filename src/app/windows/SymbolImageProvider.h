#pragma once

#include <QQuickImageProvider>

namespace orvane {

// The symbol library for the views, as "image://symbol/NAME" (painted
// black) or "image://symbol/NAME/COLOR", where COLOR is the hexadecimal
// form of a colour without its "#" (RRGGBB or AARRGGBB).
class SymbolImageProvider final : public QQuickImageProvider {
public:
    static inline const QString providerId = QStringLiteral("symbol");

    SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

} // namespace orvane
