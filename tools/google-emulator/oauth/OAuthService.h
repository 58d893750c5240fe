#pragma once

#include "EmulatorSettings.h"
#include "OAuthGrants.h"
#include "http/FormFields.h"
#include "http/HttpMessage.h"

namespace orvane::emulator {

// Google's OAuth 2.0 server for installed applications: the authorisation page
// with its consent, the token endpoint's authorization_code (with PKCE S256)
// and refresh_token grants, and the revocation endpoint.
class OAuthService {
public:
    static constexpr QStringView driveFileScope = u"https://www.googleapis.com/auth/drive.file";

    OAuthService(const EmulatorSettings& settings, OAuthGrants& grants);

    // GET /o/oauth2/v2/auth
    HttpResponse authorize(const QByteArray& query);
    // POST of the consent page's form: Allow or Deny.
    HttpResponse decide(const HttpHeaders& headers, const QByteArray& body);
    // POST /token
    HttpResponse token(const HttpHeaders& headers, const QByteArray& body);
    // POST /revoke, the token in the query or a form body.
    HttpResponse revoke(const HttpHeaders& headers, const QByteArray& query, const QByteArray& body);

    static QByteArray decisionPath();
    static QByteArray tokenPath() { return QByteArrayLiteral("/token"); }
    static QByteArray revokePath() { return QByteArrayLiteral("/revoke"); }
    // Whether a path answers errors in the OAuth shape ({"error", "error_description"}).
    static bool servesOAuthErrors(QByteArrayView path);

private:
    AuthorizationRequest checkAuthorizationRequest(const FormFields& query) const;
    HttpResponse redirectWithCode(AuthorizationRequest request);
    HttpResponse consentPage(const AuthorizationRequest& request, const QString& consentId) const;
    QString authenticateClient(const FormFields& form) const;
    HttpResponse exchangeCode(const QString& clientId, const FormFields& form);
    HttpResponse refresh(const QString& clientId, const FormFields& form);
    HttpResponse tokenResponse(const IssuedTokens& tokens) const;

    const EmulatorSettings& m_settings;
    OAuthGrants& m_grants;
};

} // namespace orvane::emulator
