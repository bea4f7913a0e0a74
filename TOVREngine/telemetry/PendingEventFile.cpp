#include "telemetry/PendingEventFile.h"

#include "platform/Logging.h"
#include "platform/SessionID.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <exception>

namespace tovr {

namespace {

QString describe(const std::exception& error) {
    if (auto* e = dynamic_cast<const Error*>(&error))
        return e->description();
    return QString::fromLocal8Bit(error.what());
}

QJsonObject eventToJson(const PendingEvent& event) {
    QJsonObject object;
    object.insert(QStringLiteral("sessionID"), SessionID::text(event.sessionID));
    object.insert(QStringLiteral("clientTimestamp"), event.clientTimestamp);
    object.insert(QStringLiteral("appVersion"), event.appVersion);
    object.insert(QStringLiteral("eventName"), event.eventName);
    object.insert(QStringLiteral("eventData"), toJsonObject(event.eventData));
    return object;
}

QString requiredString(const QJsonObject& object, const QString& key, qsizetype index) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        throw DecodingError(
            QStringLiteral("Pending event %1 has no text \"%2\"").arg(index).arg(key));
    return value.toString();
}

} // namespace

PendingEventFile::PendingEventFile(std::shared_ptr<FileSystemOperating> fs, QString path)
    : fs_(std::move(fs)), path_(std::move(path)) {}

QList<PendingEvent> PendingEventFile::load() const {
    const QString logPrefix = QStringLiteral("Telemetry: couldn't load pending events: ");
    QJsonArray array;
    try {
        if (!fs_ || path_.isEmpty() || !fs_->fileExists(path_))
            return {};
        const QByteArray data = fs_->readData(path_);
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
        if (parseError.error != QJsonParseError::NoError)
            throw DecodingError(parseError.errorString());
        if (!document.isArray())
            throw DecodingError(QStringLiteral("The pending events are not a JSON array"));
        array = document.array();
    } catch (const std::exception& error) {
        qCWarning(lcTelemetry).noquote() << logPrefix + describe(error);
        return {};
    }
    // One damaged record costs only itself: the others are sent, and the next save writes
    // them back.
    QList<PendingEvent> loaded;
    for (qsizetype i = 0; i < array.size(); ++i) {
        try {
            if (!array.at(i).isObject())
                throw DecodingError(QStringLiteral("Pending event %1 is not an object").arg(i));
            const QJsonObject object = array.at(i).toObject();
            const auto sessionID =
                SessionID::parse(requiredString(object, QStringLiteral("sessionID"), i));
            if (!sessionID)
                throw DecodingError(
                    QStringLiteral("Pending event %1 has no valid \"sessionID\"").arg(i));
            if (!object.value(QStringLiteral("eventData")).isObject())
                throw DecodingError(
                    QStringLiteral("Pending event %1 has no object \"eventData\"").arg(i));
            loaded.append(PendingEvent{
                *sessionID, requiredString(object, QStringLiteral("clientTimestamp"), i),
                requiredString(object, QStringLiteral("appVersion"), i),
                requiredString(object, QStringLiteral("eventName"), i),
                jsonObjectFromJson(object.value(QStringLiteral("eventData")).toObject())});
        } catch (const std::exception& error) {
            qCWarning(lcTelemetry).noquote() << logPrefix + describe(error);
        }
    }
    return loaded;
}

void PendingEventFile::save(const QList<PendingEvent>& events) const {
    if (!fs_ || path_.isEmpty())
        return;
    try {
        fs_->createDirectory(QFileInfo(path_).path(), true);
        if (events.isEmpty()) {
            try {
                if (fs_->fileExists(path_))
                    fs_->removeItem(path_);
            } catch (const std::exception&) {
                // The next launch loads the old file again; its events go out twice at worst.
            }
            return;
        }
        QJsonArray array;
        for (const auto& event : events)
            array.append(eventToJson(event));
        fs_->writeData(QJsonDocument(array).toJson(QJsonDocument::Compact), path_);
    } catch (const std::exception& error) {
        qCWarning(lcTelemetry).noquote()
            << QStringLiteral("Telemetry: couldn't persist pending events: ") + describe(error);
    }
}

} // namespace tovr
