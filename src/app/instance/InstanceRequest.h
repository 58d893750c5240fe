#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace orvane {

// What a later Orvane process asks of the running one: open these local
// files, or, with none, bring the main window forward (a reopen).
//
// On the socket a request is one line of compact JSON; the running Orvane
// answers with acknowledgement once it holds the request, and otherwise
// closes the connection without a word.
struct InstanceRequest {
    // Larger messages are refused unread.
    static constexpr qsizetype maximumEncodedSize = 1024 * 1024;
    static constexpr char terminator = '\n';
    static inline const QByteArray acknowledgement = QByteArrayLiteral("taken\n");

    QList<QUrl> fileURLs;

    bool isReopen() const { return fileURLs.isEmpty(); }

    // The command line of `orvane FILE…` (the program name left out): each
    // argument is a path, relative ones taken from workingDirectory.
    static InstanceRequest fromArguments(const QStringList& arguments, const QString& workingDirectory);
    // The same from main()'s arguments, before any application object exists.
    static InstanceRequest fromCommandLine(int argc, const char* const* argv, const QString& workingDirectory);

    // The same files in order, in requests whose messages each fit
    // maximumSize (a path longer than that alone goes alone); a reopen is
    // one request. A selection of thousands of files needs several.
    QList<InstanceRequest> inParts(qsizetype maximumSize = maximumEncodedSize) const;

    // {"openFiles": ["/absolute/path", …]} and the terminator. JSON escapes
    // line feeds within paths, so the terminator ends the message.
    QByteArray encoded() const;
    // The message is from another process: anything but that form (its
    // terminator left out), or a list whose entries are all unusable, is
    // refused. Only absolute paths become file URLs; other entries are dropped.
    static std::optional<InstanceRequest> decode(const QByteArray& message);

    bool operator==(const InstanceRequest&) const = default;
};

} // namespace orvane
