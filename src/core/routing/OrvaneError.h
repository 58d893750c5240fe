#pragma once

#include "support/Error.h"

namespace orvane {

// The core library's own failures, each with the exact text shown to the user.
class OrvaneError final : public Error {
public:
    enum class Code {
        unsupportedFileExtension,
        localFileUnavailable,
        missingOAuthClientID,
        invalidOAuthCallback,
        oauthStateMismatch,
        oauthTokenUnavailable,
        driveResponseMissingFileID,
    };

    // "unknown" stands in for an empty extension.
    static OrvaneError unsupportedFileExtension(const QString& normalizedExtension);
    // why: what kept the file from being read, as the end of a sentence
    // ("it is a folder"); it follows the path in brackets.
    static OrvaneError localFileUnavailable(const QString& path, const QString& why = {});
    static OrvaneError missingOAuthClientID() { return OrvaneError(Code::missingOAuthClientID); }
    static OrvaneError invalidOAuthCallback() { return OrvaneError(Code::invalidOAuthCallback); }
    static OrvaneError oauthStateMismatch() { return OrvaneError(Code::oauthStateMismatch); }
    static OrvaneError oauthTokenUnavailable() { return OrvaneError(Code::oauthTokenUnavailable); }
    static OrvaneError driveResponseMissingFileID() { return OrvaneError(Code::driveResponseMissingFileID); }

    Code code() const { return code_; }
    // The extension or path of the two cases that carry one; empty otherwise.
    const QString& associatedText() const { return text_; }

    std::optional<QString> errorDescription() const override;

    bool operator==(const OrvaneError& other) const { return code_ == other.code_ && text_ == other.text_; }

protected:
    QString genericDescription() const override { return *errorDescription(); }

private:
    explicit OrvaneError(Code code, QString text = {}) : code_(code), text_(std::move(text)) {}

    Code code_;
    QString text_;
};

} // namespace orvane
