#include "EmulatorSettings.h"

#include <QCommandLineParser>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

std::variant<EmulatorSettings, QString> parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"A local stand-in for Google's OAuth 2.0 and Drive v3 services, for tests and demos."_s);
    parser.addHelpOption();
    const QCommandLineOption port(u"port"_s, u"Listen on this port of 127.0.0.1 (default: a free port)."_s, u"N"_s);
    const QCommandLineOption clientId(u"client-id"_s, u"An OAuth client ID the emulator knows; repeatable."_s, u"ID"_s);
    const QCommandLineOption clientSecret(u"client-secret"_s, u"Require this client secret in token requests."_s, u"SECRET"_s);
    const QCommandLineOption autoApprove(u"auto-approve"_s, u"Approve authorisation requests without showing the consent page."_s);
    const QCommandLineOption tokenLifetime(u"token-lifetime"_s, u"Access token lifetime in seconds (default 3600)."_s, u"SECONDS"_s,
                                           u"3600"_s);
    parser.addOptions({port, clientId, clientSecret, autoApprove, tokenLifetime});
    if (!parser.parse(arguments))
        return parser.errorText();
    if (parser.isSet(u"help"_s))
        return parser.helpText();
    if (!parser.positionalArguments().isEmpty())
        return u"Unexpected argument: %1"_s.arg(parser.positionalArguments().first());

    EmulatorSettings settings;
    if (parser.isSet(port)) {
        bool ok = false;
        const uint value = parser.value(port).toUInt(&ok);
        if (!ok || value > 65535)
            return u"--port needs a port number from 0 to 65535."_s;
        settings.port = static_cast<quint16>(value);
    }
    settings.clientIds = parser.values(clientId);
    if (settings.clientIds.isEmpty() || settings.clientIds.contains(QString()))
        return u"Name at least one OAuth client with --client-id."_s;
    if (parser.isSet(clientSecret))
        settings.clientSecret = parser.value(clientSecret);
    settings.autoApprove = parser.isSet(autoApprove);
    bool ok = false;
    const int lifetime = parser.value(tokenLifetime).toInt(&ok);
    if (!ok || lifetime < 0)
        return u"--token-lifetime needs a number of seconds, 0 or more."_s;
    settings.tokenLifetime = std::chrono::seconds(lifetime);
    return settings;
}

} // namespace orvane::emulator
