#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QQmlEngine>

namespace orvane {

// Relative times for the views ("5 minutes ago", "5 分前"), in the user's
// language. now moves on every half minute so that the texts bound to it
// stay current while a window is open.
class RelativeTime final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QDateTime now READ now NOTIFY nowChanged)

public:
    explicit RelativeTime(QObject* parent = nullptr);

    QDateTime now() const { return now_; }
    // Pass now as well, so that a binding follows it.
    Q_INVOKABLE QString describe(const QDateTime& moment, const QDateTime& now) const;

Q_SIGNALS:
    void nowChanged();

private:
    QDateTime now_;
    QTimer ticks_;
};

} // namespace orvane
