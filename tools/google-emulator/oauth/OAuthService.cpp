#include "OAuthService.h"

#include "GoogleErrors.h"
#include "HtmlPage.h"
#include "state/Sha256.h"
#include "http/MediaType.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

// The error page Google shows in the browser instead of redirecting a bad request.
[[noreturn]] void refuseAuthorization(const QString& error, const QString& description, int status = 400)
{
    const QString body = u"<h1>Access blocked: Authorization Error</h1>\n<p class=\"error\">Error %1: %2</p>\n<p>%3</p>"_s.arg(
        QString::number(status), html::escape(error), html::escape(description));
    throw RequestRefused(HttpResponse::html(status, html::page(u"Error %1: %2"_s.arg(status).arg(error), body)));
}

[[noreturn]] void refuseToken(int status, const QString& error, const QString& description)
{
    throw RequestRefused(google::oauthError(status, error, description));
}

bool isLoopbackRedirect(const QString& text)
{
    static const QRegularExpression loopback(u"^http://127\\.0\\.0\\.1:([0-9]{1,5})(/[^#]*)?$"_s);
    const QRegularExpressionMatch match = loopback.match(text);
    return match.hasMatch() && match.captured(1).toInt() > 0 && match.captured(1).toInt() <= 65535
        && QUrl(text, QUrl::StrictMode).isValid();
}

bool isCodeVerifier(const QString& text)
{
    static const QRegularExpression verifier(u"^[A-Za-z0-9._~-]{43,128}$"_s);
    return verifier.match(text).hasMatch();
}

bool isS256Challenge(const QString& text)
{
    static const QRegularExpression challenge(u"^[A-Za-z0-9_-]{43}$"_s);
    return challenge.match(text).hasMatch();
}

QString s256Challenge(const QString& verifier)
{
    const QByteArray digest = Sha256::digest(verifier.toUtf8());
    return QString::fromLatin1(digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

// Query values in a redirect keep ":" and "/" as they are, as Google's do.
QString redirectTo(const QString& redirectUri, const QList<std::pair<QString, QString>>& items)
{
    QString location = redirectUri + (redirectUri.contains(u'?') ? u'&' : u'?');
    QStringList encoded;
    for (const auto& [name, value] : items)
        encoded.append(name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value, "/:")));
    return location + encoded.join(u'&');
}

bool isFormEncoded(const HttpHeaders& headers)
{
    const std::optional<QByteArray> contentType = headers.value("Content-Type"_ba);
    const std::optional<MediaType> mediaType = contentType ? MediaType::parse(*contentType) : std::nullopt;
    return mediaType && mediaType->type == "application/x-www-form-urlencoded"_ba;
}

} // namespace

OAuthService::OAuthService(const EmulatorSettings& settings, OAuthGrants& grants) : m_settings(settings), m_grants(grants) {}

QByteArray OAuthService::decisionPath()
{
    return "/o/oauth2/v2/auth/decision"_ba;
}

HttpResponse OAuthService::authorize(const QByteArray& query)
{
    const std::optional<FormFields> fields = FormFields::parse(query);
    if (!fields)
        refuseAuthorization(u"invalid_request"_s, u"The request query is not correctly encoded."_s);
    const AuthorizationRequest request = checkAuthorizationRequest(*fields);
    if (m_settings.autoApprove)
        return redirectWithCode(request);
    return consentPage(request, m_grants.holdForConsent(request));
}

AuthorizationRequest OAuthService::checkAuthorizationRequest(const FormFields& query) const
{
    static const QStringList known{u"client_id"_s, u"redirect_uri"_s, u"response_type"_s, u"scope"_s, u"code_challenge"_s,
                                   u"code_challenge_method"_s, u"state"_s, u"access_type"_s, u"prompt"_s,
                                   u"include_granted_scopes"_s, u"login_hint"_s};
    for (const auto& [name, value] : query.items()) {
        if (!known.contains(name))
            refuseAuthorization(u"invalid_request"_s, u"Parameter not allowed for this message type: %1"_s.arg(name));
        if (query.count(name) > 1)
            refuseAuthorization(u"invalid_request"_s, u"Parameter given more than once: %1"_s.arg(name));
    }
    auto required = [&](const QString& name) {
        const std::optional<QString> value = query.value(name);
        if (!value || value->isEmpty())
            refuseAuthorization(u"invalid_request"_s, u"Missing required parameter: %1"_s.arg(name));
        return *value;
    };

    AuthorizationRequest request;
    request.clientId = required(u"client_id"_s);
    if (!m_settings.clientIds.contains(request.clientId))
        refuseAuthorization(u"invalid_client"_s, u"The OAuth client was not found."_s, 401);
    request.redirectUri = required(u"redirect_uri"_s);
    if (!isLoopbackRedirect(request.redirectUri))
        refuseAuthorization(u"redirect_uri_mismatch"_s,
                            u"The redirect URI %1 is not a loopback address of the form http://127.0.0.1:<port>/<path>."_s.arg(
                                request.redirectUri));
    if (const QString responseType = required(u"response_type"_s); responseType != u"code"_s)
        refuseAuthorization(u"unsupported_response_type"_s, u"Invalid response_type: %1"_s.arg(responseType));
    request.scope = required(u"scope"_s);
    const QStringList scopes = request.scope.split(u' ', Qt::SkipEmptyParts);
    QStringList invalidScopes;
    std::copy_if(scopes.begin(), scopes.end(), std::back_inserter(invalidScopes),
                 [](const QString& scope) { return scope != driveFileScope; });
    if (!invalidScopes.isEmpty())
        refuseAuthorization(u"invalid_scope"_s, u"Some requested scopes were invalid. {invalid=[%1]}"_s.arg(invalidScopes.join(u", "_s)));
    request.codeChallenge = required(u"code_challenge"_s);
    if (const QString method = required(u"code_challenge_method"_s); method != u"S256"_s)
        refuseAuthorization(u"invalid_request"_s, u"Invalid code_challenge_method: %1 (only S256 is accepted)"_s.arg(method));
    if (!isS256Challenge(request.codeChallenge))
        refuseAuthorization(u"invalid_request"_s, u"Invalid code_challenge: an S256 challenge is 43 base64url characters."_s);
    request.state = required(u"state"_s);
    const QString accessType = query.value(u"access_type"_s).value_or(u"online"_s);
    if (accessType != u"online"_s && accessType != u"offline"_s)
        refuseAuthorization(u"invalid_request"_s, u"Invalid access_type: %1"_s.arg(accessType));
    request.offlineAccess = accessType == u"offline"_s;
    for (const QString& prompt : query.value(u"prompt"_s).value_or(QString()).split(u' ', Qt::SkipEmptyParts)) {
        if (prompt != u"consent"_s && prompt != u"select_account"_s)
            refuseAuthorization(u"invalid_request"_s, u"Invalid prompt: %1"_s.arg(prompt));
    }
    return request;
}

HttpResponse OAuthService::redirectWithCode(AuthorizationRequest request)
{
    request.scope = m_grants.grantedScope().value_or(request.scope);
    const QString code = m_grants.issueCode(request);
    return HttpResponse::redirect(
        redirectTo(request.redirectUri, {{u"state"_s, request.state}, {u"code"_s, code}, {u"scope"_s, request.scope}}).toUtf8());
}

HttpResponse OAuthService::consentPage(const AuthorizationRequest& request, const QString& consentId) const
{
    const QString body = u"<h1>Sign in with Google</h1>\n"
                         u"<p>The application <b class=\"client\">%1</b> wants to:</p>\n"
                         u"<ul><li>See, edit, create and delete only the specific Google Drive files that you use with this app "
                         u"(<code>%2</code>)</li></ul>\n"
                         u"<p>You will return to <code>%3</code>.</p>\n"
                         u"<form method=\"post\" action=\"%4\">\n"
                         u"<input type=\"hidden\" name=\"consent\" value=\"%5\">\n"
                         u"<button type=\"submit\" name=\"decision\" value=\"deny\">Deny</button>\n"
                         u"<button type=\"submit\" name=\"decision\" value=\"allow\">Allow</button>\n"
                         u"</form>"_s.arg(html::escape(request.clientId), html::escape(request.scope), html::escape(request.redirectUri),
                                          QString::fromLatin1(decisionPath()), consentId);
    return HttpResponse::html(200, html::page(u"Sign in with Google"_s, body));
}

HttpResponse OAuthService::decide(const HttpHeaders& headers, const QByteArray& body)
{
    const std::optional<FormFields> form = isFormEncoded(headers) ? FormFields::parse(body) : std::nullopt;
    if (!form)
        refuseAuthorization(u"invalid_request"_s, u"The consent form was not sent as a form."_s);
    const std::optional<AuthorizationRequest> request = m_grants.takeConsent(form->value(u"consent"_s).value_or(QString()));
    if (!request)
        refuseAuthorization(u"invalid_request"_s, u"This sign-in request has expired or was already answered."_s);
    const QString decision = form->value(u"decision"_s).value_or(QString());
    if (decision == u"allow"_s)
        return redirectWithCode(*request);
    if (decision == u"deny"_s)
        return HttpResponse::redirect(
            redirectTo(request->redirectUri, {{u"error"_s, u"access_denied"_s}, {u"state"_s, request->state}}).toUtf8());
    refuseAuthorization(u"invalid_request"_s, u"The consent form carried no decision."_s);
}

HttpResponse OAuthService::token(const HttpHeaders& headers, const QByteArray& body)
{
    const std::optional<FormFields> form = isFormEncoded(headers) ? FormFields::parse(body) : std::nullopt;
    if (!form)
        refuseToken(400, u"invalid_request"_s, u"Bad Request"_s);
    const QString clientId = authenticateClient(*form);
    const QString grantType = form->value(u"grant_type"_s).value_or(QString());
    if (grantType == u"authorization_code"_s)
        return exchangeCode(clientId, *form);
    if (grantType == u"refresh_token"_s)
        return refresh(clientId, *form);
    refuseToken(400, u"unsupported_grant_type"_s, u"Invalid grant_type: %1"_s.arg(grantType));
}

QString OAuthService::authenticateClient(const FormFields& form) const
{
    const QString clientId = form.value(u"client_id"_s).value_or(QString());
    if (clientId.isEmpty())
        refuseToken(400, u"invalid_request"_s, u"Could not determine client ID from request."_s);
    if (!m_settings.clientIds.contains(clientId))
        refuseToken(401, u"invalid_client"_s, u"The OAuth client was not found."_s);
    if (m_settings.clientSecret) {
        const QString secret = form.value(u"client_secret"_s).value_or(QString());
        if (secret.isEmpty())
            refuseToken(400, u"invalid_request"_s, u"client_secret is missing."_s);
        if (secret != *m_settings.clientSecret)
            refuseToken(401, u"invalid_client"_s, u"Unauthorized"_s);
    }
    return clientId;
}

HttpResponse OAuthService::exchangeCode(const QString& clientId, const FormFields& form)
{
    const QString code = form.value(u"code"_s).value_or(QString());
    if (code.isEmpty())
        refuseToken(400, u"invalid_request"_s, u"Missing required parameter: code"_s);
    const QString redirectUri = form.value(u"redirect_uri"_s).value_or(QString());
    if (redirectUri.isEmpty())
        refuseToken(400, u"invalid_request"_s, u"Missing parameter: redirect_uri"_s);
    const std::optional<AuthorizationRequest> request = m_grants.redeemCode(code);
    if (!request || request->clientId != clientId)
        refuseToken(400, u"invalid_grant"_s, u"Bad Request"_s);
    if (request->redirectUri != redirectUri)
        refuseToken(400, u"redirect_uri_mismatch"_s, u"Bad Request"_s);
    const std::optional<QString> verifier = form.value(u"code_verifier"_s);
    if (!verifier || verifier->isEmpty())
        refuseToken(400, u"invalid_grant"_s, u"Missing code verifier."_s);
    if (!isCodeVerifier(*verifier) || s256Challenge(*verifier) != request->codeChallenge)
        refuseToken(400, u"invalid_grant"_s, u"Invalid code verifier."_s);
    return tokenResponse(m_grants.issueTokens(clientId, request->scope, request->offlineAccess, m_settings.tokenLifetime));
}

HttpResponse OAuthService::refresh(const QString& clientId, const FormFields& form)
{
    const QString refreshToken = form.value(u"refresh_token"_s).value_or(QString());
    if (refreshToken.isEmpty())
        refuseToken(400, u"invalid_request"_s, u"Missing required parameter: refresh_token"_s);
    const std::optional<RefreshGrant> grant = m_grants.refreshGrant(refreshToken);
    if (!grant || grant->clientId != clientId)
        refuseToken(400, u"invalid_grant"_s, u"Bad Request"_s);
    if (grant->revoked)
        refuseToken(400, u"invalid_grant"_s, u"Token has been expired or revoked."_s);
    return tokenResponse(m_grants.refreshTokens(refreshToken, m_settings.tokenLifetime));
}

HttpResponse OAuthService::revoke(const HttpHeaders& headers, const QByteArray& query, const QByteArray& body)
{
    // Google's own example puts the token in the query; a form body works too.
    const std::optional<FormFields> fromQuery = FormFields::parse(query);
    const std::optional<FormFields> fromBody = isFormEncoded(headers) ? FormFields::parse(body) : std::nullopt;
    QString token = fromQuery ? fromQuery->value(u"token"_s).value_or(QString()) : QString();
    if (token.isEmpty() && fromBody)
        token = fromBody->value(u"token"_s).value_or(QString());
    if (token.isEmpty())
        refuseToken(400, u"invalid_request"_s, u"Missing required parameter: token"_s);
    if (!m_grants.revoke(token))
        refuseToken(400, u"invalid_token"_s, u"Token expired or revoked"_s);
    return HttpResponse::json(200, QJsonObject{});
}

bool OAuthService::servesOAuthErrors(QByteArrayView path)
{
    return path == tokenPath() || path == revokePath();
}

HttpResponse OAuthService::tokenResponse(const IssuedTokens& tokens) const
{
    QJsonObject body{
        {u"access_token"_s, tokens.accessToken},
        {u"expires_in"_s, static_cast<qint64>(m_settings.tokenLifetime.count())},
        {u"scope"_s, tokens.scope},
        {u"token_type"_s, u"Bearer"_s},
    };
    if (tokens.refreshToken)
        body.insert(u"refresh_token"_s, *tokens.refreshToken);
    HttpResponse response = HttpResponse::json(200, body);
    response.headers.append("Cache-Control"_ba, "no-cache, no-store, max-age=0, must-revalidate"_ba);
    response.headers.append("Pragma"_ba, "no-cache"_ba);
    return response;
}

} // namespace orvane::emulator
