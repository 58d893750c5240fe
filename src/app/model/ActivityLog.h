#pragma once

#include <QLoggingCategory>

namespace orvane {

class AppModel;

// What Orvane does, as the user would see it: status, errors, the pages
// handed to the browser, the windows shown. Off by default but for errors;
// QT_LOGGING_RULES="orvane.activity=true" turns it on (journal, end-to-end
// tests, launch benchmarks). Never carries a token: browser URLs are logged
// without their query.
Q_DECLARE_LOGGING_CATEGORY(activityLog)

// Logs the model's status messages, errors and onboarding as they change.
void logActivity(const AppModel& model);

} // namespace orvane
