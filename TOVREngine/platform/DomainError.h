#pragma once

#include "platform/Error.h"

namespace tovr {

// An error of one component, told apart by its domain ("AdoptiumAPI", "BrewRunner.PKG")
// and a small code; its description is shown to the user unchanged.
class DomainError : public Error {
public:
    DomainError(QString domain, int code, QString description)
        : Error(std::move(description)), domain_(std::move(domain)), code_(code) {}
    const QString& domain() const noexcept { return domain_; }
    int code() const noexcept { return code_; }

private:
    QString domain_;
    int code_;
};

} // namespace tovr
