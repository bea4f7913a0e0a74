#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>
#include <optional>

namespace tovr {

// A property-list value, as far as the system reads one: dictionaries keyed by text,
// arrays and texts. Every other kind (numbers, dates, data, booleans) is kept as `other`.
class PropertyList {
public:
    enum class Kind { string, dictionary, array, other };

    static PropertyList string(QString text);
    static PropertyList dictionary(QMap<QString, PropertyList> entries);
    static PropertyList array(QList<PropertyList> items);
    static PropertyList other();

    Kind kind() const { return kind_; }
    // The text of a string, absent for any other kind.
    std::optional<QString> text() const;
    // The value under `key` of a dictionary; absent when missing or not a dictionary.
    std::optional<PropertyList> value(const QString& key) const;
    qsizetype count() const;

    // Decodes XML ("<?xml … <plist>") or binary ("bplist00") data. Absent when the data is
    // neither, is cut short, or refers outside itself.
    static std::optional<PropertyList> decode(const QByteArray& data);

private:
    Kind kind_ = Kind::other;
    QString text_;
    std::shared_ptr<const QMap<QString, PropertyList>> dictionary_;
    std::shared_ptr<const QList<PropertyList>> array_;
};

} // namespace tovr
