#pragma once

#include "model/PlatformTexts.h"

#include <QObject>
#include <QQmlEngine>

namespace orvane {

// The platform texts (see PlatformTexts) as the views' singleton
// PlatformTexts, with the menu named where this window finds it.
class PlatformTextsForViews final : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(PlatformTexts)
    QML_SINGLETON
    Q_PROPERTY(QString homeSubtitle READ homeSubtitle CONSTANT)
    Q_PROPERTY(QString revisitOnboardingTip READ revisitOnboardingTip CONSTANT)
    Q_PROPERTY(QString noRecentFilesHint READ noRecentFilesHint CONSTANT)
    Q_PROPERTY(QString welcomeTitle READ welcomeTitle CONSTANT)
    Q_PROPERTY(QString revisitOnboardingLaterTip READ revisitOnboardingLaterTip CONSTANT)
    Q_PROPERTY(QString doubleClickTitle READ doubleClickTitle CONSTANT)
    Q_PROPERTY(QString doubleClickSubtitle READ doubleClickSubtitle CONSTANT)
    Q_PROPERTY(QString doubleClickHelpButton READ doubleClickHelpButton CONSTANT)
    Q_PROPERTY(QString doubleClickHelpTitle READ doubleClickHelpTitle CONSTANT)
    Q_PROPERTY(QVariantList doubleClickHelpSteps READ doubleClickHelpSteps CONSTANT)

public:
    static PlatformTextsForViews* create(QQmlEngine* engine, QJSEngine*);

    explicit PlatformTextsForViews(PlatformTexts texts) : texts_(texts) {}

    QString homeSubtitle() const { return texts_.homeSubtitle(); }
    QString revisitOnboardingTip() const { return texts_.revisitOnboardingTip(); }
    QString noRecentFilesHint() const { return texts_.noRecentFilesHint(); }
    QString welcomeTitle() const { return texts_.welcomeTitle(); }
    QString revisitOnboardingLaterTip() const { return texts_.revisitOnboardingLaterTip(); }
    QString doubleClickTitle() const { return texts_.doubleClickTitle(); }
    QString doubleClickSubtitle() const { return texts_.doubleClickSubtitle(); }
    QString doubleClickHelpButton() const { return texts_.doubleClickHelpButton(); }
    QString doubleClickHelpTitle() const { return texts_.doubleClickHelpTitle(); }
    QVariantList doubleClickHelpSteps() const { return texts_.doubleClickHelpSteps(); }

private:
    PlatformTexts texts_;
};

} // namespace orvane
