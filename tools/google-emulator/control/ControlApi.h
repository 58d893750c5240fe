#pragma once

#include "FaultPlan.h"
#include "RequestLog.h"
#include "drive/DriveResources.h"
#include "drive/DriveStore.h"
#include "drive/ListPaging.h"
#include "drive/SearchLag.h"
#include "drive/UploadSessions.h"
#include "oauth/OAuthGrants.h"

namespace orvane::emulator {

// The tests' window into the emulator, under /emulator/: the stored files and
// folders, the recorded requests, the resumable upload sessions, faults, list
// paging, search lag, token and session expiry, revocation, trashing, and reset.
class ControlApi {
public:
    static constexpr QByteArrayView prefix = "/emulator/";

    // The emulator's state that the control API reads and changes.
    struct State {
        DriveStore& store;
        OAuthGrants& grants;
        RequestLog& log;
        FaultPlan& faults;
        ListPaging& paging;
        SearchLag& searchLag;
        const DriveResources& resources;
        UploadSessions& uploadSessions;
    };

    explicit ControlApi(State state);

    std::unique_ptr<BodySink> route(const HttpRequestHead& head);

    // The answer a status fault gives when the test named no body: Google's
    // error shape, the OAuth one on the OAuth endpoints and the Drive one elsewhere.
    static HttpResponse faultResponse(const AnswerWithStatus& fault, const QByteArray& path);

private:
    HttpResponse files() const;
    HttpResponse addFault(const QByteArray& body);
    HttpResponse addListPages(const QByteArray& body);
    HttpResponse setSearchLag(const QByteArray& body);
    HttpResponse trash(const QString& id);
    HttpResponse reset();

    State m_state;
};

} // namespace orvane::emulator
