#pragma once

#include <QString>

#include <exception>
#include <optional>
#include <string>

namespace orvane {

// Base of every failure Orvane throws. A user action ends by showing
// localizedDescription(); errorDescription() is present only for errors that
// carry a text of the application's own.
class Error : public std::exception {
public:
    virtual std::optional<QString> errorDescription() const { return std::nullopt; }

    QString localizedDescription() const { return errorDescription().value_or(genericDescription()); }

    const char* what() const noexcept override;

protected:
    // A short English sentence for errors without a description of their own.
    virtual QString genericDescription() const = 0;

private:
    mutable std::string whatText_;
};

} // namespace orvane
