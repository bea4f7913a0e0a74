#pragma once

#include <QUrl>

namespace tovr {

// Opens a web page or a file in the user's default application.
class URLOpening {
public:
    virtual ~URLOpening() = default;
    virtual void open(const QUrl& url) = 0;
};

} // namespace tovr
