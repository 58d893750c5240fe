#pragma once

#include "EmulatorSettings.h"
#include "control/ControlApi.h"
#include "control/FaultPlan.h"
#include "control/RequestLog.h"
#include "drive/DriveResources.h"
#include "drive/DriveService.h"
#include "drive/DriveStore.h"
#include "drive/ListPaging.h"
#include "drive/Pages.h"
#include "drive/ResumableUploads.h"
#include "drive/UploadSessions.h"
#include "http/RequestHandler.h"
#include "oauth/OAuthGrants.h"
#include "oauth/OAuthService.h"

#include <QUrl>

namespace orvane::emulator {

// Routes each request to the service that answers it, after recording it and
// applying any injected fault. Control requests are neither recorded nor faulted.
class GoogleEmulator final : public RequestHandler {
public:
    GoogleEmulator(EmulatorSettings settings, const QUrl& rootUrl);

    void handle(const HttpRequestHead& head, const HttpExchange& exchange) override;

private:
    // Handles the request; with a replacement, that is answered in place of
    // its own answer; with a byte count, its connection closes once that much
    // of its body has arrived.
    void dispatch(const HttpRequestHead& head, const HttpExchange& exchange, quint64 recordId,
                  std::optional<HttpResponse> replacement = std::nullopt,
                  std::optional<qint64> dropAfterBodyBytes = std::nullopt);
    std::unique_ptr<BodySink> route(const HttpRequestHead& head);

    EmulatorSettings m_settings;
    DriveStore m_store;
    OAuthGrants m_grants;
    RequestLog m_log;
    FaultPlan m_faults;
    ListPaging m_paging;
    SearchLag m_searchLag;
    DriveResources m_resources;
    OAuthService m_oauth;
    DriveService m_drive;
    UploadSessions m_uploadSessions;
    ResumableUploads m_resumableUploads;
    Pages m_pages;
    ControlApi m_control;
};

} // namespace orvane::emulator
