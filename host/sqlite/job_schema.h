// The tables of a job file, version 2 (job_schema.cc holds the statements that make them).
//
// Values of the host (properties and settings: Variants) are two columns, `type` and `value`.
// The type is the name of the Variant's kind: "Empty", "Boolean", "Integer", "Long", "Double",
// "String". The value column has no declared type, so SQLite keeps what is bound: NULL for
// Empty, the integer for Boolean (-1 or 0), Integer and Long, the text for String, and for a
// Double the REAL of the same bits, or for a NaN (which SQLite would turn into NULL) the eight
// bytes of the double as a BLOB, little-endian.
//
//   job_info(key, value)              next_part_id, next_operation_id: the identifiers that the
//                                     next new part and operation get
//   drawing_property(name, type, value)
//   brush(name)                       the drawing's brush collection
//   graphic(id, place, owner, position, kind, name, layer, brush, closed, flag, state, deleted,
//           vertices)
//                                     place "top" (the drawing's top-level graphics), "child"
//                                     (a child of graphic `owner`) or "free" (in no collection,
//                                     kept because the store refers to it); position orders the
//                                     graphics of one collection; brush is the fill brush's name
//                                     or NULL; vertices a BLOB of 25 bytes a vertex: x, y, z as
//                                     binary64 little-endian, then the arc mark (0 or 1)
//   graphic_property(graphic, name, type, value)
//   setting(key, type, value)         the store's settings (CAM_UnitsSystem)
//   part(id, position, graphic, active)
//   tool(number), tool_property(tool, key, type, value), tool_operation(tool, operation)
//   operation(id, position, part, group_graphic, trajectory, has_contour_set)
//                                     the store's block sets in their order; part is the part
//                                     set on the operation itself (else CAM_PartID decides)
//   operation_property(operation, key, type, value)
//   contour_set_item(operation, position, graphic)
//
// Every row of these tables ends in a `checksum` column: a 64-bit hash of the table's name and
// the row's other values with their SQLite types (job_checksums.h). row_total(name, rows,
// total) holds per table the number of its rows and the wrapping sum of their checksums, so
// that a row lost or added is found as surely as one changed.
#pragma once

#include <string_view>

namespace SQLite {
class Database;
}

namespace sulkor::host {

// Makes the tables in an empty database and marks it as a job file of the current version.
void CreateJobSchema(SQLite::Database& db);

// Checks that db is a job file this program reads; throws JobFileError naming the file (name)
// otherwise: not a job file, an older or newer version, missing tables or a definition of a
// table or index that differs from the one CreateJobSchema makes.
void CheckJobSchema(SQLite::Database& db, std::string_view name);

// A table of a job's content: its name, its columns but the checksum (in the order of the
// table), and the columns that name one of its rows in a message.
struct JobTable {
  std::string_view name;
  std::string_view columns;
  std::string_view key;
};

inline constexpr JobTable kJobTables[] = {
    {"job_info", "key, value", "key"},
    {"drawing_property", "name, type, value", "name"},
    {"brush", "name", "name"},
    {"graphic",
     "id, place, owner, position, kind, name, layer, brush, closed, flag, state, deleted, vertices",
     "id"},
    {"graphic_property", "graphic, name, type, value", "graphic, name"},
    {"setting", "key, type, value", "key"},
    {"part", "id, position, graphic, active", "id"},
    {"tool", "number", "number"},
    {"tool_property", "tool, key, type, value", "tool, key"},
    {"tool_operation", "tool, operation", "tool, operation"},
    {"operation", "id, position, part, group_graphic, trajectory, has_contour_set", "id"},
    {"operation_property", "operation, key, type, value", "operation, key"},
    {"contour_set_item", "operation, position, graphic", "operation, position"},
};

// The tables in the order in which their rows may be deleted (children before parents).
inline constexpr std::string_view kJobContentTables[] = {
    "contour_set_item", "operation_property", "operation", "tool_operation", "tool_property",
    "tool", "part", "setting", "graphic_property", "graphic", "brush", "drawing_property",
    "job_info"};

}  // namespace sulkor::host
