#include "monitor/JsonWriter.h"
#include "monitor/ReadingTable.h"
#include "monitor/SnapshotJson.h"
#include "testsupport/Snapshots.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

using namespace moravel;

namespace {

// The fields one row writes for `snapshot`, in order.
QJsonObject rowJson(const ReadingDescriptor& reading, const SystemSnapshot& snapshot)
{
    QByteArray out;
    JsonWriter writer(out);
    reading.writeJson(writer, snapshot);
    writer.finish();
    return QJsonDocument::fromJson(out).object();
}

}  // namespace

// What the rest of Moravel relies on of the table, whatever readings it holds.
TEST(ReadingTable, RowsAreConsistent)
{
    QSet<QString> keys;
    QSet<QString> titles;
    QSet<int> orders;
    QList<MetricKind> collapsible;
    for (size_t i = 0; i < ReadingTable::all().size(); ++i) {
        const ReadingDescriptor& reading = ReadingTable::all()[i];
        SCOPED_TRACE(reading.key);
        EXPECT_EQ(static_cast<size_t>(reading.kind), i);
        EXPECT_FALSE(QString::fromLatin1(reading.key).isEmpty());
        EXPECT_FALSE(QString::fromLatin1(reading.icon).isEmpty());
        keys.insert(QString::fromLatin1(reading.key));
        titles.insert(QString::fromLatin1(reading.title));
        // Every reading but the overview is present in some snapshots only, and
        // says so in JSON.
        EXPECT_EQ(reading.writeJson != nullptr, reading.kind != MetricKind::overview);
        EXPECT_EQ(reading.isPresent != nullptr, reading.kind != MetricKind::overview);
        if (reading.collapsed) {
            collapsible.append(reading.kind);
            orders.insert(reading.collapsed->order);
        }
        EXPECT_TRUE(reading.detail == nullptr || reading.detailTab);
        EXPECT_TRUE(!reading.detailTab || ReadingTable::of(*reading.detailTab).tab);
    }
    EXPECT_EQ(keys.size(), static_cast<qsizetype>(metricKindCount));
    EXPECT_EQ(titles.size(), static_cast<qsizetype>(metricKindCount));
    EXPECT_EQ(orders.size(), collapsible.size());
    QList<MetricKind> listed = ReadingTable::collapsedKinds();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, collapsible);  // each collapsible kind once
}

// A reading the source does not have writes null in every one of its
// fields; no two readings write the same field.
TEST(ReadingTable, JsonFieldsAreOwnedByOneRowAndNullWhereTheSliceIsAbsent)
{
    QSet<QString> names;
    qsizetype written = 0;
    for (const ReadingDescriptor& reading : ReadingTable::all()) {
        if (!reading.writeJson)
            continue;
        SCOPED_TRACE(reading.key);
        const QJsonObject absent = rowJson(reading, SystemSnapshot{});
        EXPECT_FALSE(absent.isEmpty());
        for (auto field = absent.begin(); field != absent.end(); ++field) {
            EXPECT_TRUE(field->isNull()) << field.key().toStdString();
            names.insert(field.key());
        }
        written += absent.size();
        // A busy computer has every field of each reading, in the same order.
        EXPECT_EQ(rowJson(reading, fixtures::busySnapshot()).keys(), absent.keys());
    }
    EXPECT_EQ(names.size(), written);
    const QJsonObject line = QJsonDocument::fromJson(snapshotJsonLine(fixtures::busySnapshot(), {})).object();
    EXPECT_EQ(line.size(), written + 2);  // with the time and the processes
}
