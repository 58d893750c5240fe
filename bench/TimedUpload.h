#pragma once

#include "GoogleEmulatorProcess.h"
#include "TestCertificateAuthority.h"
#include "drive/GoogleDriveClient.h"

#include <QCoreApplication>

namespace orvane::bench {

// The access token the benchmarks upload with, issued by the emulator.
class FixedTokenProvider final : public AccessTokenProviding {
public:
    explicit FixedTokenProvider(QString token) : token_(std::move(token)) {}
    QCoro::Task<QString> accessToken() override { co_return QString(token_); }
    QCoro::Task<std::optional<QString>> accessTokenReplacing(QString) override { co_return std::nullopt; }

private:
    QString token_;
};

// The emulator the upload benchmarks send to; with TLS, this process trusts
// its certificate authority as it would a system's.
struct BenchEmulator {
    explicit BenchEmulator(bool overTls);

    const testsupport::TestCertificateAuthority authority;
    testsupport::GoogleEmulatorProcess process;
};

// Runs one upload in the application's event loop and gives its seconds; a
// failed upload ends the benchmark with its error.
double timedUpload(QCoreApplication& application, GoogleDriveClient& client, const DriveUploadRequest& request);

} // namespace orvane::bench
