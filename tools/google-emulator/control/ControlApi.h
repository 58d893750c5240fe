#pragma once

#include "FaultPlan.h"
#include "RequestLog.h"
#include "drive/DriveResources.h"
#include "drive/DriveStore.h"
#include "oauth/OAuthGrants.h"

namespace orvane::emulator {

// The tests' window into the emulator, under /emulator/: the stored files and
// folders, the recorded requests, faults, token expiry, trashing, and reset.
class ControlApi {
public:
    static constexpr QByteArrayView prefix = "/emulator/";

    ControlApi(DriveStore& store, OAuthGrants& grants, RequestLog& log, FaultPlan& faults, const DriveResources& resources);

    std::unique_ptr<BodySink> route(const HttpRequestHead& head);

    // The answer a status fault gives when the test named no body: Google's error shape.
    static HttpResponse faultResponse(const AnswerWithStatus& fault);

private:
    HttpResponse files() const;
    HttpResponse addFault(const QByteArray& body);
    HttpResponse trash(const QString& id);
    HttpResponse reset();

    DriveStore& m_store;
    OAuthGrants& m_grants;
    RequestLog& m_log;
    FaultPlan& m_faults;
    const DriveResources& m_resources;
};

} // namespace orvane::emulator
