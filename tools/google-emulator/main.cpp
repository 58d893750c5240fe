#include "EmulatorSettings.h"
#include "GoogleEmulator.h"
#include "http/HttpServer.h"
#include "http/ServerTls.h"

#include <QCoreApplication>

#include <cstdio>

using namespace orvane::emulator;
using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(u"orvane-google-emulator"_s);

    auto parsed = parseCommandLine(QCoreApplication::arguments());
    if (const auto* problem = std::get_if<QString>(&parsed)) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return QCoreApplication::arguments().contains(u"--help"_s) || QCoreApplication::arguments().contains(u"-h"_s) ? 0 : 2;
    }
    const EmulatorSettings settings = std::get<EmulatorSettings>(std::move(parsed));

    std::optional<QSslConfiguration> tls;
    if (settings.tls) {
        auto configuration = serverTlsConfiguration(settings.tls->certificatePath, settings.tls->keyPath);
        if (const auto* problem = std::get_if<QString>(&configuration)) {
            std::fprintf(stderr, "%s\n", qPrintable(*problem));
            return 2;
        }
        tls = std::get<QSslConfiguration>(std::move(configuration));
    }

    HttpServer server;
    if (!server.listen(settings.port, tls)) {
        std::fprintf(stderr, "Cannot listen on 127.0.0.1:%u: %s\n", unsigned(settings.port), qPrintable(server.errorString()));
        return 1;
    }
    const QString rootUrl = u"%1://127.0.0.1:%2"_s.arg(tls ? u"https"_s : u"http"_s).arg(server.port());
    GoogleEmulator emulator(settings, QUrl(rootUrl));
    server.setRequestHandler(emulator);

    // Whoever started the emulator reads the root URL from the first line.
    std::fprintf(stdout, "%s\n", qPrintable(rootUrl));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
