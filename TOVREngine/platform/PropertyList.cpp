#include "platform/PropertyList.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <cstring>

namespace tovr {

PropertyList PropertyList::string(QString text) {
    PropertyList p;
    p.kind_ = Kind::string;
    p.text_ = std::move(text);
    return p;
}

PropertyList PropertyList::dictionary(QMap<QString, PropertyList> entries) {
    PropertyList p;
    p.kind_ = Kind::dictionary;
    p.dictionary_ = std::make_shared<const QMap<QString, PropertyList>>(std::move(entries));
    return p;
}

PropertyList PropertyList::array(QList<PropertyList> items) {
    PropertyList p;
    p.kind_ = Kind::array;
    p.array_ = std::make_shared<const QList<PropertyList>>(std::move(items));
    return p;
}

PropertyList PropertyList::other() {
    return PropertyList();
}

std::optional<QString> PropertyList::text() const {
    if (kind_ != Kind::string)
        return std::nullopt;
    return text_;
}

std::optional<PropertyList> PropertyList::value(const QString& key) const {
    if (kind_ != Kind::dictionary)
        return std::nullopt;
    auto it = dictionary_->constFind(key);
    if (it == dictionary_->cend())
        return std::nullopt;
    return *it;
}

qsizetype PropertyList::count() const {
    if (kind_ == Kind::dictionary)
        return dictionary_->size();
    if (kind_ == Kind::array)
        return array_->size();
    return 0;
}

namespace {

constexpr int kMaxDepth = 64;

// --- XML ------------------------------------------------------------------------------

std::optional<PropertyList> readXmlValue(QXmlStreamReader& xml, int depth);

// Reads the element the reader stands on (a start element) to its end.
std::optional<PropertyList> readXmlValue(QXmlStreamReader& xml, int depth) {
    if (depth > kMaxDepth)
        return std::nullopt;
    const QStringView name = xml.name();
    if (name == u"string") {
        return PropertyList::string(xml.readElementText());
    }
    if (name == u"dict") {
        QMap<QString, PropertyList> entries;
        std::optional<QString> key;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"key") {
                key = xml.readElementText();
                continue;
            }
            if (!key)
                return std::nullopt;
            auto value = readXmlValue(xml, depth + 1);
            if (!value)
                return std::nullopt;
            entries.insert(*key, *value);
            key.reset();
        }
        if (xml.hasError())
            return std::nullopt;
        return PropertyList::dictionary(std::move(entries));
    }
    if (name == u"array") {
        QList<PropertyList> items;
        while (xml.readNextStartElement()) {
            auto value = readXmlValue(xml, depth + 1);
            if (!value)
                return std::nullopt;
            items << *value;
        }
        if (xml.hasError())
            return std::nullopt;
        return PropertyList::array(std::move(items));
    }
    if (name == u"true" || name == u"false" || name == u"integer" || name == u"real" ||
        name == u"date" || name == u"data") {
        xml.skipCurrentElement();
        return xml.hasError() ? std::nullopt : std::optional(PropertyList::other());
    }
    return std::nullopt;
}

std::optional<PropertyList> decodeXml(const QByteArray& data) {
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || xml.name() != u"plist")
        return std::nullopt;
    if (!xml.readNextStartElement())
        return std::nullopt;
    auto value = readXmlValue(xml, 0);
    if (!value || xml.hasError())
        return std::nullopt;
    return value;
}

// --- Binary ---------------------------------------------------------------------------

class BinaryReader {
public:
    explicit BinaryReader(const QByteArray& data)
        : d_(reinterpret_cast<const unsigned char*>(data.constData())),
          n_(static_cast<quint64>(data.size())) {}

    std::optional<PropertyList> read() {
        if (n_ < 8 + 32 || std::memcmp(d_, "bplist00", 8) != 0)
            return std::nullopt;
        const unsigned char* t = d_ + n_ - 32;
        offsetSize_ = t[6];
        refSize_ = t[7];
        numObjects_ = be(t + 8, 8);
        const quint64 top = be(t + 16, 8);
        tableOffset_ = be(t + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8 ||
            top >= numObjects_ || tableOffset_ >= n_ - 32 ||
            numObjects_ > (n_ - 32 - tableOffset_) / offsetSize_)
            return std::nullopt;
        return object(top, 0);
    }

private:
    static quint64 be(const unsigned char* p, int size) {
        quint64 v = 0;
        for (int i = 0; i < size; ++i)
            v = (v << 8) | p[i];
        return v;
    }

    bool has(quint64 offset, quint64 length) const {
        return offset <= n_ - 32 && length <= n_ - 32 - offset;
    }

    std::optional<quint64> offsetOf(quint64 ref) const {
        if (ref >= numObjects_)
            return std::nullopt;
        const quint64 at = tableOffset_ + ref * offsetSize_;
        if (!has(at, offsetSize_))
            return std::nullopt;
        const quint64 offset = be(d_ + at, offsetSize_);
        if (offset < 8 || offset >= tableOffset_)
            return std::nullopt;
        return offset;
    }

    // The length in a marker's low nibble, or in the integer object that follows it.
    std::optional<quint64> length(quint64& pos, unsigned char marker) const {
        const quint64 low = marker & 0x0F;
        if (low != 0x0F)
            return low;
        if (!has(pos, 1))
            return std::nullopt;
        const unsigned char intMarker = d_[pos];
        if ((intMarker & 0xF0) != 0x10)
            return std::nullopt;
        const int size = 1 << (intMarker & 0x0F);
        if (size > 8 || !has(pos + 1, size))
            return std::nullopt;
        const quint64 v = be(d_ + pos + 1, size);
        pos += 1 + size;
        return v;
    }

    // Each object is decoded once: objects that share sub-objects would otherwise be
    // decoded again for every reference, which a few hundred bytes can make 2^64 times.
    std::optional<PropertyList> object(quint64 ref, int depth) {
        if (depth > kMaxDepth || active_.contains(ref))
            return std::nullopt; // too deep, or an object that contains itself
        if (const auto known = decoded_.constFind(ref); known != decoded_.cend())
            return *known;
        auto value = decode(ref, depth);
        if (value)
            decoded_.insert(ref, *value);
        return value;
    }

    std::optional<PropertyList> decode(quint64 ref, int depth) {
        auto offset = offsetOf(ref);
        if (!offset)
            return std::nullopt;
        quint64 pos = *offset;
        const unsigned char marker = d_[pos++];
        const int type = marker >> 4;
        switch (type) {
        case 0x0: // null, booleans, fill
        case 0x1: // integer
        case 0x2: // real
        case 0x3: // date
        case 0x8: // uid
            return PropertyList::other();
        case 0x4: { // data
            auto len = length(pos, marker);
            if (!len || !has(pos, *len))
                return std::nullopt;
            return PropertyList::other();
        }
        case 0x5: { // ASCII string
            auto len = length(pos, marker);
            if (!len || !has(pos, *len))
                return std::nullopt;
            return PropertyList::string(
                QString::fromLatin1(reinterpret_cast<const char*>(d_ + pos), qsizetype(*len)));
        }
        case 0x6: { // UTF-16 big-endian string
            auto len = length(pos, marker);
            if (!len || *len > (n_ / 2) || !has(pos, *len * 2))
                return std::nullopt;
            QString s(qsizetype(*len), Qt::Uninitialized);
            for (quint64 i = 0; i < *len; ++i)
                s[qsizetype(i)] = QChar(char16_t(be(d_ + pos + 2 * i, 2)));
            return PropertyList::string(s);
        }
        case 0xA:   // array
        case 0xC: { // set
            auto len = length(pos, marker);
            if (!len || *len > n_ || !has(pos, *len * refSize_))
                return std::nullopt;
            active_.insert(ref);
            QList<PropertyList> items;
            for (quint64 i = 0; i < *len; ++i) {
                auto item = object(be(d_ + pos + i * refSize_, refSize_), depth + 1);
                if (!item) {
                    active_.remove(ref);
                    return std::nullopt;
                }
                items << *item;
            }
            active_.remove(ref);
            return PropertyList::array(std::move(items));
        }
        case 0xD: { // dictionary: all key refs, then all value refs
            auto len = length(pos, marker);
            if (!len || *len > n_ || !has(pos, *len * 2 * refSize_))
                return std::nullopt;
            active_.insert(ref);
            QMap<QString, PropertyList> entries;
            bool ok = true;
            for (quint64 i = 0; i < *len && ok; ++i) {
                auto key = object(be(d_ + pos + i * refSize_, refSize_), depth + 1);
                auto value = object(be(d_ + pos + (*len + i) * refSize_, refSize_), depth + 1);
                if (!key || !value || !key->text())
                    ok = false;
                else
                    entries.insert(*key->text(), *value);
            }
            active_.remove(ref);
            if (!ok)
                return std::nullopt;
            return PropertyList::dictionary(std::move(entries));
        }
        default:
            return std::nullopt;
        }
    }

    const unsigned char* d_;
    quint64 n_;
    int offsetSize_ = 0;
    int refSize_ = 0;
    quint64 numObjects_ = 0;
    quint64 tableOffset_ = 0;
    QSet<quint64> active_;
    QHash<quint64, PropertyList> decoded_;
};

} // namespace

std::optional<PropertyList> PropertyList::decode(const QByteArray& data) {
    if (data.startsWith("bplist00"))
        return BinaryReader(data).read();
    return decodeXml(data);
}

} // namespace tovr
