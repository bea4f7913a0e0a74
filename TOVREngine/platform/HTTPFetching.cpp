#include "platform/HTTPFetching.h"

namespace tovr {

QString URLError::describe(Code code) {
    switch (code) {
    case Code::canceled:
        return QStringLiteral("The transfer was canceled.");
    case Code::badURL:
        return QStringLiteral("The address is not valid.");
    case Code::timedOut:
        return QStringLiteral("The request timed out.");
    case Code::unsupportedURL:
        return QStringLiteral("The address uses an unsupported scheme.");
    case Code::cannotFindHost:
        return QStringLiteral("A server with the specified hostname could not be found.");
    case Code::cannotConnectToHost:
        return QStringLiteral("Could not connect to the server.");
    case Code::networkConnectionLost:
        return QStringLiteral("The network connection was lost.");
    case Code::dnsLookupFailed:
        return QStringLiteral("The hostname could not be looked up.");
    case Code::notConnectedToInternet:
        return QStringLiteral("The Internet connection appears to be offline.");
    case Code::secureConnectionFailed:
        return QStringLiteral("A secure connection to the server could not be made.");
    case Code::cannotLoadFromNetwork:
        return QStringLiteral("The resource could not be loaded from the network.");
    case Code::badServerResponse:
        return QStringLiteral("The server's response was not understood.");
    case Code::cannotCreateFile:
        return QStringLiteral("The download file could not be created.");
    case Code::cannotWriteToFile:
        return QStringLiteral("The download file could not be written.");
    case Code::dataNotAllowed:
        return QStringLiteral("Network data is not allowed right now.");
    case Code::internationalRoamingOff:
        return QStringLiteral("International roaming is switched off.");
    case Code::resourceUnavailable:
        return QStringLiteral("The resource is unavailable.");
    case Code::unknown:
        break;
    }
    return QStringLiteral("The request failed.");
}

} // namespace tovr
