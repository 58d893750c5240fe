#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QStringView>
#include <QUuid>

#include <memory>
#include <vector>

namespace orvane {

// Compact JSON written straight into UTF-8 bytes, members in the order given.
// Building QJsonObjects first costs several times more for large record lists.
class JsonWriter {
public:
    void beginArray();
    void endArray();
    void beginObject();
    void endObject();

    void member(QStringView key, QStringView text);
    void member(QStringView key, qint64 number);
    // A UTC date as yyyy-MM-ddTHH:mm:ssZ; a fraction of a second is dropped.
    // The date must be one that canWrite() accepts.
    void member(QStringView key, const QDateTime& date);
    // Upper-case canonical text: 8-4-4-4-12 hexadecimal digits.
    void member(QStringView key, const QUuid& uuid);

    // Four digits hold the years 1 to 9999: the first and the last second
    // of that range, and whether a date lies within it.
    static QDateTime earliestWritableDate();
    static QDateTime latestWritableDate();
    static bool canWrite(const QDateTime& date);

    QByteArrayView bytes() const { return QByteArrayView(buffer_.get(), qsizetype(size_)); }

private:
    // Room for at least `count` more bytes; returns where writing continues.
    char* reserve(std::size_t count);
    void commit(const char* end) { size_ = std::size_t(end - buffer_.get()); }
    void append(char c);
    void separate();
    void key(QStringView text);
    char* string(char* out, QStringView text);
    void begin(char bracket);
    void end(char bracket);

    // Raw and never zero-filled: reserving the worst case for every string
    // must cost nothing.
    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    // One entry per open array or object: whether it holds an element yet.
    std::vector<bool> hasElements_;
};

} // namespace orvane
