#pragma once

#include "http/HttpMessage.h"

#include <QString>

#include <optional>

namespace orvane::emulator {

// Streams a multipart body (RFC 2046) apart into its parts as the bytes arrive,
// scanning for the delimiter without copying the part contents, so that a body of
// any size passes through in constant memory.
class MultipartRelatedParser {
public:
    class Consumer {
    public:
        virtual ~Consumer() = default;
        virtual void beginPart(const HttpHeaders& headers) = 0;
        virtual void partData(QByteArrayView data) = 0;
        virtual void endPart() = 0;
    };

    // The boundary parameter of a "multipart/related" Content-Type, quoted or not.
    static std::optional<QByteArray> boundaryOf(QByteArrayView contentType);

    MultipartRelatedParser(const QByteArray& boundary, Consumer& consumer);

    void append(QByteArrayView data);
    // The body has ended: anything but a closed multipart is an error.
    void finish();
    // Why the body is not a well-formed multipart, once it is known.
    const std::optional<QString>& error() const { return m_error; }

private:
    enum class State { Preamble, AfterDelimiter, PartHeaders, PartBody, Epilogue, Failed };

    qsizetype consume(QByteArrayView data);
    qsizetype heldBackLength(QByteArrayView data, qsizetype from) const;
    qsizetype findDelimiter(QByteArrayView data, qsizetype from) const;
    bool takeHeaderLine(QByteArrayView line);
    void fail(const QString& reason);

    QByteArray m_delimiter; // CRLF "--" boundary
    Consumer& m_consumer;
    State m_state = State::Preamble;
    QByteArray m_carry; // bytes that may still turn out to start a delimiter, or an unfinished header line
    HttpHeaders m_partHeaders;
    qsizetype m_partHeaderBytes = 0;
    std::optional<QString> m_error;
};

} // namespace orvane::emulator
