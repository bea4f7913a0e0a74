#include "demo/DemoReply.h"

namespace tovr {

DemoReply DemoReply::failure(const QString& text, qint32 code) {
    DemoReply reply;
    for (const auto& line : text.split(u'\n'))
        reply.printError(line);
    reply.exitCode = code;
    return reply;
}

} // namespace tovr
