// How host values are kept in a job file's columns (job_schema.h describes the encoding).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "host/memory/memory_graphic.h"
#include "sulkor/error.h"
#include "sulkor/variant.h"

namespace SQLite {
class Column;
class Statement;
}  // namespace SQLite

namespace sulkor::host {

// A row of a job file that does not hold what its table promises. The job file turns it into
// a JobFileError naming the file.
class JobDamage : public Error {
 public:
  using Error::Error;
};

// The name of a Variant kind as the `type` columns hold it ("Double", ...).
std::string_view VariantTypeName(VariantType type);

// Binds a Variant to the type parameter and the value parameter of a statement.
void BindVariant(SQLite::Statement& statement, int typeIndex, int valueIndex,
                 const Variant& value);

// The Variant of a type column and a value column. Throws JobDamage for an unknown type or a
// value that does not fit it (context names the row in the message).
Variant ReadVariant(const SQLite::Column& type, const SQLite::Column& value,
                    std::string_view context);

// The vertices of a graphic as the `vertices` BLOB: 25 bytes a vertex.
inline constexpr size_t kVertexBytes = 25;
std::string PackVertices(const MemoryVertices& vertices);

// Appends the vertices of a BLOB; throws JobDamage when its length is not a whole number of
// vertices or an arc mark is neither 0 nor 1.
void UnpackVertices(const void* bytes, size_t size, MemoryVertices& vertices,
                    std::string_view context);

}  // namespace sulkor::host
