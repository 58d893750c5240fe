#include "EmulatorSettings.h"

#include <QCommandLineParser>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

// A count from 1 up, or the reason it is not one.
std::variant<qint64, QString> positiveCount(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    bool ok = false;
    const qint64 value = parser.value(option).toLongLong(&ok);
    if (!ok || value < 1)
        return u"--%1 needs a whole number, 1 or more."_s.arg(option.names().first());
    return value;
}

} // namespace

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
    const QCommandLineOption tlsCertificate(u"tls-certificate"_s, u"Serve HTTPS with this PEM certificate (and --tls-key)."_s,
                                            u"FILE"_s);
    const QCommandLineOption tlsKey(u"tls-key"_s, u"The PEM private key of --tls-certificate."_s, u"FILE"_s);
    const ConversionLimits googleLimits;
    const QCommandLineOption documentBytes(u"max-document-import-bytes"_s,
                                           u"Largest file converted to a Google document (default 50 MiB)."_s, u"BYTES"_s,
                                           QString::number(googleLimits.documentBytes));
    const QCommandLineOption presentationBytes(u"max-presentation-import-bytes"_s,
                                               u"Largest file converted to a Google presentation (default 100 MiB)."_s,
                                               u"BYTES"_s, QString::number(googleLimits.presentationBytes));
    const QCommandLineOption spreadsheetBytes(u"max-spreadsheet-import-bytes"_s,
                                              u"Largest file converted to a Google spreadsheet (default 100 MiB)."_s,
                                              u"BYTES"_s, QString::number(googleLimits.spreadsheetBytes));
    const QCommandLineOption spreadsheetCells(u"max-spreadsheet-import-cells"_s,
                                              u"Most cells of a CSV or TSV file converted to a spreadsheet (default 10 million)."_s,
                                              u"CELLS"_s, QString::number(googleLimits.spreadsheetCells));
    parser.addOptions({port, clientId, clientSecret, autoApprove, tokenLifetime, tlsCertificate, tlsKey, documentBytes,
                       presentationBytes, spreadsheetBytes, spreadsheetCells});
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
    if (parser.isSet(tlsCertificate) != parser.isSet(tlsKey))
        return u"--tls-certificate and --tls-key go together."_s;
    if (parser.isSet(tlsCertificate))
        settings.tls = TlsFiles{parser.value(tlsCertificate), parser.value(tlsKey)};
    for (const auto& [option, limit] : {std::pair{&documentBytes, &settings.conversionLimits.documentBytes},
                                        std::pair{&presentationBytes, &settings.conversionLimits.presentationBytes},
                                        std::pair{&spreadsheetBytes, &settings.conversionLimits.spreadsheetBytes},
                                        std::pair{&spreadsheetCells, &settings.conversionLimits.spreadsheetCells}}) {
        const std::variant<qint64, QString> value = positiveCount(parser, *option);
        if (const auto* problem = std::get_if<QString>(&value))
            return *problem;
        *limit = std::get<qint64>(value);
    }
    return settings;
}

} // namespace orvane::emulator
