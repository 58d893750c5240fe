#pragma once

#include "HttpMessage.h"

#include <functional>
#include <memory>

namespace orvane::emulator {

// Takes a request body piece by piece as it arrives and gives the answer once it is complete.
class BodySink {
public:
    virtual ~BodySink() = default;
    virtual void append(QByteArrayView piece) = 0;
    virtual HttpResponse finish() = 0;
    // The connection went before the body was complete: nothing is answered,
    // and what arrived is all there is.
    virtual void abandon() {}
    // Asks the connection to close at once, without an answer (a fault).
    virtual bool closesConnection() const { return false; }
};

// Reads the body past and answers with a response known in advance.
class FixedResponseSink final : public BodySink {
public:
    explicit FixedResponseSink(HttpResponse response) : m_response(std::move(response)) {}
    void append(QByteArrayView) override {}
    HttpResponse finish() override { return std::move(m_response); }

private:
    HttpResponse m_response;
};

// Collects a body of bounded size and hands it to a function for the answer;
// a larger body is answered with tooLarge, without keeping its bytes.
class BufferedBodySink final : public BodySink {
public:
    using Handler = std::function<HttpResponse(const QByteArray& body)>;
    BufferedBodySink(qsizetype limit, Handler handler, HttpResponse tooLarge);
    void append(QByteArrayView piece) override;
    HttpResponse finish() override;

private:
    qsizetype m_limit;
    Handler m_handler;
    HttpResponse m_tooLarge;
    QByteArray m_body;
    bool m_exceeded = false;
};

// Lets the inner sink handle the body, then gives another answer in place of
// its own (a fault after the work was done).
class ReplacedAnswerSink final : public BodySink {
public:
    ReplacedAnswerSink(std::unique_ptr<BodySink> inner, HttpResponse replacement)
        : m_inner(std::move(inner)), m_replacement(std::move(replacement))
    {
    }
    void append(QByteArrayView piece) override { m_inner->append(piece); }
    HttpResponse finish() override
    {
        m_inner->finish();
        return std::move(m_replacement);
    }
    void abandon() override { m_inner->abandon(); }

private:
    std::unique_ptr<BodySink> m_inner;
    HttpResponse m_replacement;
};

// Turns a RequestRefused thrown by the inner sink into the answer; the rest of
// the body is then read past.
class RefusalGuardSink final : public BodySink {
public:
    explicit RefusalGuardSink(std::unique_ptr<BodySink> inner) : m_inner(std::move(inner)) {}
    void append(QByteArrayView piece) override;
    HttpResponse finish() override;
    void abandon() override { m_inner->abandon(); }

private:
    std::unique_ptr<BodySink> m_inner;
    std::optional<HttpResponse> m_refusal;
};

// Lets the inner sink take the first bytes of the body, then has the
// connection closed (a fault): the request was cut off on the way.
class ConnectionDroppingSink final : public BodySink {
public:
    ConnectionDroppingSink(std::unique_ptr<BodySink> inner, qint64 bytesBeforeDrop)
        : m_inner(std::move(inner)), m_remaining(bytesBeforeDrop)
    {
    }
    void append(QByteArrayView piece) override;
    HttpResponse finish() override;
    void abandon() override { m_inner->abandon(); }
    bool closesConnection() const override { return m_remaining == 0; }

private:
    std::unique_ptr<BodySink> m_inner;
    qint64 m_remaining;
};

} // namespace orvane::emulator
