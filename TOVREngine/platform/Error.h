#pragma once

#include <QString>

#include <exception>
#include <string>

namespace tovr {

// The root of the system's typed errors. `description()` is the sentence a user may see.
class Error : public std::exception {
public:
    explicit Error(QString description)
        : description_(std::move(description)), utf8_(description_.toStdString()) {}
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString description_;
    std::string utf8_;
};

// An operating-system call failed; `code` is its errno value.
class SystemError : public Error {
public:
    SystemError(int code, QString description) : Error(std::move(description)), code_(code) {}
    // The errno's own text, optionally after a short context such as the path.
    static SystemError fromErrno(int code, const QString& context = {});
    int code() const noexcept { return code_; }

private:
    int code_;
};

} // namespace tovr
