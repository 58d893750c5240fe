#include "model/ActivityLog.h"

#include "model/AppModel.h"

namespace orvane {

Q_LOGGING_CATEGORY(activityLog, "orvane.activity", QtWarningMsg)

void logActivity(const AppModel& model)
{
    QObject::connect(&model, &AppModel::statusMessageChanged, &model,
                     [&model] { qCInfo(activityLog).noquote() << "Status:" << model.statusMessage(); });
    QObject::connect(&model, &AppModel::lastErrorChanged, &model, [&model] {
        if (model.lastError())
            qCWarning(activityLog).noquote() << "Error:" << *model.lastError();
    });
    const auto logOnboarding = [&model] {
        qCInfo(activityLog) << (model.isShowingOnboarding() ? "Onboarding shown" : "Onboarding closed");
    };
    QObject::connect(&model, &AppModel::isShowingOnboardingChanged, &model, logOnboarding);
    for (const QString& path : model.unopenedFiles())
        qCInfo(activityLog).noquote() << "Not opened when Orvane last ended:" << path;
    // A user who has not finished setup starts in onboarding.
    if (model.isShowingOnboarding())
        logOnboarding();
}

} // namespace orvane
