#include "instance/InstanceRequestReader.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

using State = InstanceRequestReader::State;

TEST(InstanceRequestReaderTest, ARequestArrivingInPiecesIsCompleteAtItsTerminator)
{
    const InstanceRequest request{{QUrl::fromLocalFile(u"/home/aki/P&L\nQ1.csv"_s)}};
    const QByteArray message = request.encoded();
    ASSERT_EQ(message.count('\n'), 1) << "a line feed in a path is escaped";
    InstanceRequestReader reader;

    for (qsizetype at = 0; at < message.size() - 1; ++at)
        ASSERT_EQ(reader.append(message.mid(at, 1)), State::reading);
    EXPECT_EQ(reader.append(message.last(1)), State::complete);

    EXPECT_EQ(reader.request(), request);
    EXPECT_EQ(reader.append("more"), State::complete) << "one request per connection";
}

TEST(InstanceRequestReaderTest, MessagesThatAreNoRequestAreRefused)
{
    for (const QByteArray& message : {QByteArray("open /etc/passwd\n"), QByteArray(R"({"openFiles": ["x.csv"]})" "\n"),
                                      QByteArray(R"({"openFiles": []})" "\n" "{}\n")}) {
        InstanceRequestReader reader;
        EXPECT_EQ(reader.append(message), State::refused) << message.constData();
        EXPECT_EQ(reader.request(), std::nullopt);
    }
}

TEST(InstanceRequestReaderTest, AMessageThatGrowsPastTheLimitWithoutEndingIsRefused)
{
    InstanceRequestReader reader;
    const QByteArray chunk(64 * 1024, ' ');
    State state = State::reading;
    qsizetype read = 0;
    while (state == State::reading && read <= InstanceRequest::maximumEncodedSize) {
        state = reader.append(chunk);
        read += chunk.size();
    }

    EXPECT_EQ(state, State::refused);
    EXPECT_GT(read, InstanceRequest::maximumEncodedSize);
    EXPECT_LE(read, InstanceRequest::maximumEncodedSize + chunk.size());
}

} // namespace
