#pragma once

#include <QString>

// Identifiers and secrets shaped like Google's, from a secure random source.
namespace orvane::emulator::ids {

// count random bytes in base64url without padding.
QString randomBase64Url(int count);

QString newFileId();        // uploaded files and folders: 33 characters starting with "1"
QString newConvertedFileId(); // Docs, Sheets and Slides: 44 characters
QString newRootFolderId();  // My Drive: "0A…Uk9PVA"
QString newAuthorizationCode(); // "4/0A…"
QString newAccessToken();   // "ya29.…"
QString newRefreshToken();  // "1//0…"
QString newConsentId();
QString newUploadId();       // a resumable upload session: "AD…", 72 characters

} // namespace orvane::emulator::ids
