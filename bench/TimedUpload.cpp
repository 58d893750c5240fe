#include "TimedUpload.h"

#include "net/TrustStore.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

namespace orvane::bench {

namespace {

testsupport::GoogleEmulatorOptions emulatorOptions(bool overTls, const testsupport::TestCertificateAuthority& authority)
{
    testsupport::GoogleEmulatorOptions options;
    if (overTls)
        options.tls = authority.serverFiles();
    return options;
}

} // namespace

BenchEmulator::BenchEmulator(bool overTls) : process(emulatorOptions(overTls, authority))
{
    if (overTls)
        trustCertificateAuthoritiesOf({{QStringLiteral("SSL_CERT_FILE"), authority.certificatePath()}});
}

double timedUpload(QCoreApplication& application, GoogleDriveClient& client, const DriveUploadRequest& request)
{
    QElapsedTimer timer;
    timer.start();
    double seconds = 0;
    bool failed = false;
    QCoro::connect(
        [&]() -> QCoro::Task<> {
            try {
                co_await client.uploadFile(request);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "upload failed: %s\n", error.what());
                failed = true;
            }
        }(),
        &application, [&] {
            seconds = timer.nsecsElapsed() / 1e9;
            application.quit();
        });
    application.exec();
    if (failed)
        std::exit(1);
    return seconds;
}

} // namespace orvane::bench
