#pragma once

#include "monitor/MetricTypes.h"

namespace moravel {

class JsonWriter;

// The fields each reading adds to a JSON line, under their JSON names. Each
// writer first names the group its fields belong to, so a group the source
// does not publish comes out as nulls.
namespace ReadingJson {

void cpu(JsonWriter& w, const SystemSnapshot& s);  // with the load average
void memory(JsonWriter& w, const SystemSnapshot& s);
void network(JsonWriter& w, const SystemSnapshot& s);
void disk(JsonWriter& w, const SystemSnapshot& s);  // with the read and write rates
void power(JsonWriter& w, const SystemSnapshot& s);
void swap(JsonWriter& w, const SystemSnapshot& s);
void temperatures(JsonWriter& w, const SystemSnapshot& s);
void gpus(JsonWriter& w, const SystemSnapshot& s);

}  // namespace ReadingJson
}  // namespace moravel
