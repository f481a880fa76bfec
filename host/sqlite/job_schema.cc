#include "host/sqlite/job_schema.h"

#include <algorithm>
#include <string>
#include <vector>

#include <SQLiteCpp/SQLiteCpp.h>

#include "host/sqlite/job_file.h"

namespace sulkor::host {
namespace {

constexpr std::string_view kSchema = R"sql(
CREATE TABLE job_info(key TEXT PRIMARY KEY NOT NULL, value, checksum INTEGER NOT NULL)
  WITHOUT ROWID;
CREATE TABLE drawing_property(name TEXT PRIMARY KEY NOT NULL, type TEXT NOT NULL, value,
  checksum INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE brush(name TEXT PRIMARY KEY NOT NULL, checksum INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE graphic(
  id INTEGER PRIMARY KEY,
  place TEXT NOT NULL CHECK (place IN ('top', 'child', 'free')),
  owner INTEGER REFERENCES graphic(id),
  position INTEGER NOT NULL,
  kind TEXT NOT NULL,
  name TEXT NOT NULL,
  layer TEXT NOT NULL,
  brush TEXT,
  closed INTEGER NOT NULL,
  flag INTEGER NOT NULL,
  state INTEGER NOT NULL,
  deleted INTEGER NOT NULL,
  vertices BLOB NOT NULL,
  checksum INTEGER NOT NULL,
  CHECK ((place = 'child') = (owner IS NOT NULL)));
CREATE TABLE graphic_property(
  graphic INTEGER NOT NULL REFERENCES graphic(id),
  name TEXT NOT NULL, type TEXT NOT NULL, value, checksum INTEGER NOT NULL,
  PRIMARY KEY (graphic, name)) WITHOUT ROWID;
CREATE TABLE setting(key TEXT PRIMARY KEY NOT NULL, type TEXT NOT NULL, value,
  checksum INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE part(
  id INTEGER PRIMARY KEY,
  position INTEGER NOT NULL UNIQUE,
  graphic INTEGER REFERENCES graphic(id),
  active INTEGER NOT NULL,
  checksum INTEGER NOT NULL);
CREATE TABLE tool(number INTEGER PRIMARY KEY, checksum INTEGER NOT NULL);
CREATE TABLE tool_property(
  tool INTEGER NOT NULL REFERENCES tool(number),
  key TEXT NOT NULL, type TEXT NOT NULL, value, checksum INTEGER NOT NULL,
  PRIMARY KEY (tool, key)) WITHOUT ROWID;
CREATE TABLE tool_operation(
  tool INTEGER NOT NULL REFERENCES tool(number),
  operation TEXT NOT NULL, checksum INTEGER NOT NULL,
  PRIMARY KEY (tool, operation)) WITHOUT ROWID;
CREATE TABLE operation(
  id INTEGER PRIMARY KEY,
  position INTEGER NOT NULL UNIQUE,
  part INTEGER REFERENCES part(id),
  group_graphic INTEGER REFERENCES graphic(id),
  trajectory INTEGER REFERENCES graphic(id),
  has_contour_set INTEGER NOT NULL,
  checksum INTEGER NOT NULL);
CREATE TABLE operation_property(
  operation INTEGER NOT NULL REFERENCES operation(id),
  key TEXT NOT NULL, type TEXT NOT NULL, value, checksum INTEGER NOT NULL,
  PRIMARY KEY (operation, key)) WITHOUT ROWID;
CREATE TABLE contour_set_item(
  operation INTEGER NOT NULL REFERENCES operation(id),
  position INTEGER NOT NULL,
  graphic INTEGER NOT NULL REFERENCES graphic(id),
  checksum INTEGER NOT NULL,
  PRIMARY KEY (operation, position)) WITHOUT ROWID;
CREATE TABLE row_total(name TEXT PRIMARY KEY NOT NULL, rows INTEGER NOT NULL,
  total INTEGER NOT NULL) WITHOUT ROWID;
)sql";

struct SchemaEntry {
  std::string type, name, table, sql;
  bool operator==(const SchemaEntry&) const = default;
};

std::vector<SchemaEntry> SchemaOf(SQLite::Database& db) {
  std::vector<SchemaEntry> entries;
  SQLite::Statement query(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema"
                              " ORDER BY name, type");
  while (query.executeStep()) {
    entries.push_back({query.getColumn(0).getString(), query.getColumn(1).getString(),
                       query.getColumn(2).getString(), query.getColumn(3).getString()});
  }
  return entries;
}

// The schema as a fresh job file holds it.
const std::vector<SchemaEntry>& ExpectedSchema() {
  static const std::vector<SchemaEntry> expected = [] {
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec(std::string(kSchema));
    return SchemaOf(db);
  }();
  return expected;
}

int PragmaInt(SQLite::Database& db, const char* pragma) {
  return db.execAndGet(std::string("PRAGMA ") + pragma).getInt();
}

}  // namespace

void CreateJobSchema(SQLite::Database& db) {
  db.exec(std::string(kSchema));
  db.exec("PRAGMA application_id = " + std::to_string(kJobApplicationId));
  db.exec("PRAGMA user_version = " + std::to_string(kJobSchemaVersion));
}

void CheckJobSchema(SQLite::Database& db, std::string_view name) {
  const std::string file(name);
  if (PragmaInt(db, "application_id") != kJobApplicationId) {
    throw JobFileError(file + ": not a Sulkor job file");
  }
  const int version = PragmaInt(db, "user_version");
  if (version > kJobSchemaVersion) {
    throw JobFileError(file + ": job file of version " + std::to_string(version) +
                       ", written by a newer Sulkor; this one reads up to version " +
                       std::to_string(kJobSchemaVersion));
  }
  if (version < 1) throw JobFileError(file + ": damaged job file: no version");
  if (version < kJobSchemaVersion) {
    throw JobFileError(file + ": job file of version " + std::to_string(version) +
                       ", written by an earlier Sulkor without checksums; this one reads version " +
                       std::to_string(kJobSchemaVersion));
  }
  for (std::string_view table : kJobContentTables) {
    if (!db.tableExists(std::string(table))) {
      throw JobFileError(file + ": damaged job file: the table \"" + std::string(table) +
                         "\" is missing");
    }
  }
  // Every table, index and constraint exactly as this program makes them: a damaged definition
  // could change how the rows are read (a column's type, the key of a table).
  const std::vector<SchemaEntry> actual = SchemaOf(db);
  const std::vector<SchemaEntry>& expected = ExpectedSchema();
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    if (i < actual.size() && i < expected.size() && actual[i] == expected[i]) continue;
    const SchemaEntry& differing = i < actual.size() ? actual[i] : expected[i];
    throw JobFileError(file + ": damaged job file: the definition of \"" + differing.name +
                       "\" differs from the one this program writes");
  }
}

}  // namespace sulkor::host
