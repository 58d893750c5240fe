#pragma once

#include "support/Error.h"

namespace orvane {

// A setting Orvane refuses to use (an environment variable, a member of a
// configuration file), naming the setting, its value and what it must be.
class ConfigurationError final : public Error {
public:
    // requirement: why the value cannot be used, as the end of a sentence
    // ("it must be an https address").
    ConfigurationError(QString setting, QString value, QString requirement)
        : setting_(std::move(setting)), value_(std::move(value)), requirement_(std::move(requirement))
    {
    }

    const QString& setting() const { return setting_; }
    const QString& value() const { return value_; }

protected:
    QString genericDescription() const override;

private:
    QString setting_;
    QString value_;
    QString requirement_;
};

} // namespace orvane
