#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace orvane {

// The in-process notification "OrvaneOpenURLs": the platform announces file
// URLs to open, or with an empty list asks for the main window (a reopen).
// Observers are always called on the main thread.
class OpenURLsNotification final : public QObject {
    Q_OBJECT

public:
    static inline const QString name = QStringLiteral("OrvaneOpenURLs");

    // The process-wide notification, created on first use on the main thread.
    static OpenURLsNotification& shared();

    explicit OpenURLsNotification(QObject* parent = nullptr);

    // On the main thread the observers run before this returns; from another
    // thread the delivery is queued to the main thread.
    void post(const QList<QUrl>& urls);

Q_SIGNALS:
    void posted(const QList<QUrl>& urls);
};

} // namespace orvane
