#include "qml/AppModelForeign.h"

#include "windows/ViewEngine.h"

namespace orvane {

AppModel* AppModelForeign::create(QQmlEngine* engine, QJSEngine*)
{
    AppModel& model = ViewEngine::of(engine).model();
    // The application owns the model; the engine must never delete it.
    QJSEngine::setObjectOwnership(&model, QJSEngine::CppOwnership);
    return &model;
}

} // namespace orvane
