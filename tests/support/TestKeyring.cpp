#include "TestKeyring.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace orvane::testsupport::testkeyring {

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(10'000)) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A Secret Service method; the reply as dbus-send prints it.
QString callSecretService(const QString& method, const QStringList& arguments = {})
{
    return run(u"dbus-send"_s, QStringList{u"--session"_s, u"--print-reply"_s, u"--dest=org.freedesktop.secrets"_s,
                                           u"/org/freedesktop/secrets"_s, u"org.freedesktop.Secret.Service."_s + method}
                                   + arguments);
}

QStringList objectPaths(const QString& reply)
{
    static const QRegularExpression objectPath(u"object path \"([^\"]+)\""_s);
    QStringList paths;
    for (const QRegularExpressionMatch& match : objectPath.globalMatch(reply))
        paths.append(match.captured(1));
    return paths;
}

} // namespace

bool isPrivate()
{
    return qEnvironmentVariable("ORVANE_TEST_SERVICES_READY") == u"1"_s;
}

QString defaultCollection()
{
    return objectPaths(callSecretService(u"ReadAlias"_s, {u"string:default"_s})).value(0, u"(none)"_s);
}

QStringList items(const QString& service, const QString& account)
{
    return objectPaths(
        callSecretService(u"SearchItems"_s, {u"dict:string:string:service,%1,account,%2"_s.arg(service, account)}));
}

void lockDefaultCollection()
{
    // The keyring's prompter is started by the bus: without a display it
    // cannot show itself and ends, which refuses the unlock.
    run(u"dbus-update-activation-environment"_s, {u"DISPLAY="_s, u"WAYLAND_DISPLAY="_s});
    // Locking needs no prompt.
    callSecretService(u"Lock"_s, {u"array:objpath:"_s + defaultCollection()});
}

} // namespace orvane::testsupport::testkeyring
