#include "support/UrlError.h"

namespace orvane {

UrlError UrlError::fromNetworkError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::OperationCanceledError:
        return UrlError(Code::cancelled);
    case QNetworkReply::TimeoutError:
        return UrlError(Code::timedOut);
    case QNetworkReply::HostNotFoundError:
        return UrlError(Code::cannotFindHost);
    case QNetworkReply::ConnectionRefusedError:
        return UrlError(Code::cannotConnectToHost);
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return UrlError(Code::networkConnectionLost);
    case QNetworkReply::SslHandshakeFailedError:
        return UrlError(Code::secureConnectionFailed);
    case QNetworkReply::ProtocolUnknownError:
        return UrlError(Code::unsupportedURL);
    case QNetworkReply::ProtocolFailure:
        return UrlError(Code::badServerResponse);
    default:
        return UrlError(Code::unknown);
    }
}

QString UrlError::genericDescription() const
{
    const QString sentence = codeDescription();
    if (!serverMessage_ || serverMessage_->isEmpty())
        return sentence;
    // The sentence's full stop gives way to what the server said.
    return sentence.chopped(1) + QStringLiteral(": ") + *serverMessage_;
}

QString UrlError::codeDescription() const
{
    switch (code_) {
    case Code::cancelled:
        return QStringLiteral("The request was cancelled.");
    case Code::badURL:
    case Code::unsupportedURL:
        return QStringLiteral("The address of the request is not valid.");
    case Code::timedOut:
        return QStringLiteral("The request timed out.");
    case Code::cannotFindHost:
        return QStringLiteral("The server could not be found.");
    case Code::cannotConnectToHost:
        return QStringLiteral("Could not connect to the server.");
    case Code::networkConnectionLost:
        return QStringLiteral("The network connection was lost.");
    case Code::badServerResponse:
        return QStringLiteral("Google Drive answered with an unexpected response.");
    case Code::secureConnectionFailed:
        return QStringLiteral("A secure connection to the server could not be made.");
    case Code::serverCertificateUntrusted:
        return QStringLiteral("The server's certificate is not from an authority this computer trusts, so nothing was "
                              "sent to it.");
    case Code::unknown:
        break;
    }
    return QStringLiteral("The network request failed.");
}

} // namespace orvane
