#pragma once

#include "model/AppModel.h"

#include <QQmlEngine>

namespace orvane {

// The application's one model, as the views' singleton AppModel: the views
// read its state and call its actions; they keep none of its state.
struct AppModelForeign {
    Q_GADGET
    QML_FOREIGN(orvane::AppModel)
    QML_NAMED_ELEMENT(AppModel)
    QML_SINGLETON

public:
    static AppModel* create(QQmlEngine* engine, QJSEngine*);
};

} // namespace orvane
