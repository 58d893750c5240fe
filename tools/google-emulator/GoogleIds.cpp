#include "GoogleIds.h"

#include <QByteArray>

#include <openssl/rand.h>

#include <stdexcept>

namespace orvane::emulator::ids {

using namespace Qt::Literals::StringLiterals;

QString randomBase64Url(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), count) != 1)
        throw std::runtime_error("the secure random generator failed");
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

// Base64url text of exactly length characters.
static QString randomText(int length)
{
    return randomBase64Url((length * 3 + 3) / 4).left(length);
}

QString newFileId() { return u"1"_s + randomText(32); }
QString newConvertedFileId() { return u"1"_s + randomText(43); }
QString newRootFolderId() { return u"0A"_s + randomText(11) + u"Uk9PVA"_s; }
QString newAuthorizationCode() { return u"4/0A"_s + randomText(69); }
QString newAccessToken() { return u"ya29.a0"_s + randomText(120); }
QString newRefreshToken() { return u"1//0"_s + randomText(99); }
QString newConsentId() { return randomText(32); }
QString newUploadId() { return u"AD"_s + randomText(70); }

} // namespace orvane::emulator::ids
