#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace moravel {

// Writes one compact JSON object into `out`, keys in the order they are
// written. Numbers are written exactly and locale-free; a number that is not
// finite, or an absent value, is null.
class JsonWriter {
public:
    explicit JsonWriter(QByteArray& out);
    // Closes the object.
    void finish();

    void number(const char* name, std::optional<double> value);
    void integer(const char* name, std::optional<long long> value);
    void unsignedInteger(const char* name, std::optional<unsigned long long> value);
    void boolean(const char* name, std::optional<bool> value);
    void string(const char* name, const QString& value);
    void null(const char* name);
    void numbers(const char* name, const std::optional<QList<double>>& values);

    // An array of objects, one per item, each written by `write(JsonWriter&, item)`.
    template <typename Item, typename Write>
    void objects(const char* name, const std::optional<QList<Item>>& items, Write write)
    {
        key(name);
        if (!items) {
            out_.append("null");
            return;
        }
        out_.append('[');
        for (qsizetype i = 0; i < items->size(); ++i) {
            if (i > 0)
                out_.append(',');
            JsonWriter item(out_);
            write(item, (*items)[i]);
            item.finish();
        }
        out_.append(']');
    }

private:
    void key(const char* name);
    void appendNumber(double value);

    QByteArray& out_;
    bool first_ = true;
};

}  // namespace moravel
