#include "host/sqlite/job_checksums.h"

#include <bit>
#include <cstdint>
#include <map>
#include <string>

#include <SQLiteCpp/SQLiteCpp.h>
#include <fmt/format.h>
#include <sqlite3.h>

#include "host/sqlite/job_schema.h"
#include "host/sqlite/job_values.h"
#include "host/text/printable_text.h"

namespace sulkor::host {
namespace {

// FNV-1a over a stream of bytes, finished with a mixer so that the bits of the result depend
// on every byte.
class Hash {
 public:
  void Add(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) state_ = (state_ ^ p[i]) * 0x100000001B3ULL;
  }
  void AddWord(uint64_t word) {
    unsigned char bytes[8];
    for (unsigned char& b : bytes) {
      b = static_cast<unsigned char>(word & 0xFFu);
      word >>= 8;
    }
    Add(bytes, sizeof bytes);
  }
  uint64_t Finish() const {
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  uint64_t state_ = 0xCBF29CE484222325ULL;
};

// job_row_sum(table, values...): every value with its SQLite type, so that 1, 1.0, '1' and
// x'31' differ.
void RowSum(sqlite3_context* context, int count, sqlite3_value** values) {
  Hash hash;
  for (int i = 0; i < count; ++i) {
    sqlite3_value* value = values[i];
    const int type = sqlite3_value_type(value);
    hash.AddWord(static_cast<uint64_t>(type));
    switch (type) {
      case SQLITE_INTEGER:
        hash.AddWord(static_cast<uint64_t>(sqlite3_value_int64(value)));
        break;
      case SQLITE_FLOAT:
        hash.AddWord(std::bit_cast<uint64_t>(sqlite3_value_double(value)));
        break;
      case SQLITE_TEXT:
      case SQLITE_BLOB: {
        const void* bytes =
            type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(value))
                                : sqlite3_value_blob(value);
        const int size = sqlite3_value_bytes(value);
        hash.AddWord(static_cast<uint64_t>(size));
        if (size > 0) hash.Add(bytes, static_cast<size_t>(size));
        break;
      }
      default:
        break;  // NULL: its type says all
    }
  }
  sqlite3_result_int64(context, std::bit_cast<sqlite3_int64>(hash.Finish()));
}

std::string RowSumOf(const JobTable& table) {
  return fmt::format("job_row_sum('{}', {})", table.name, table.columns);
}

// The key columns of a row as one printable text: quote(a) || ', ' || quote(b).
std::string KeyText(const JobTable& table) {
  std::string text;
  std::string_view rest = table.key;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    std::string_view column = rest.substr(0, comma);
    while (column.starts_with(' ')) column.remove_prefix(1);
    if (!text.empty()) text += " || ', ' || ";
    text += fmt::format("quote({})", column);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  return text;
}

struct Totals {
  int64_t rows = 0;
  uint64_t total = 0;
};

// Walks the table's rows: checks each row's checksum (when asked) and adds them up.
Totals WalkTable(SQLite::Database& db, const JobTable& table, bool check) {
  SQLite::Statement rows(db, fmt::format("SELECT checksum, {}, {} FROM {}", RowSumOf(table),
                                         KeyText(table), table.name));
  Totals totals;
  while (rows.executeStep()) {
    const SQLite::Column stored = rows.getColumn(0);
    const int64_t computed = rows.getColumn(1).getInt64();
    if (check && (!stored.isInteger() || stored.getInt64() != computed)) {
      throw JobDamage(PrintableText(fmt::format(
          "table \"{}\", row {}: the content does not match its checksum", table.name,
          rows.getColumn(2).getString()), 200));
    }
    ++totals.rows;
    totals.total += static_cast<uint64_t>(computed);
  }
  return totals;
}

}  // namespace

void RegisterRowChecksum(SQLite::Database& db) {
  const int result = sqlite3_create_function_v2(db.getHandle(), "job_row_sum", -1,
                                                SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                                RowSum, nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) throw SQLite::Exception(db.getHandle(), result);
}

void SealJobRows(SQLite::Database& db) {
  db.exec("DELETE FROM row_total");
  SQLite::Statement total(db, "INSERT INTO row_total VALUES (?, ?, ?)");
  for (const JobTable& table : kJobTables) {
    db.exec(fmt::format("UPDATE {} SET checksum = {}", table.name, RowSumOf(table)));
    const Totals totals = WalkTable(db, table, false);
    total.bind(1, std::string(table.name));
    total.bind(2, totals.rows);
    total.bind(3, std::bit_cast<int64_t>(totals.total));
    total.exec();
    total.reset();
  }
}

void VerifyJobRows(SQLite::Database& db) {
  std::map<std::string, Totals> stored;
  SQLite::Statement totals(db, "SELECT name, rows, total FROM row_total");
  while (totals.executeStep()) {
    const std::string name = totals.getColumn(0).getString();
    if (!totals.getColumn(1).isInteger() || !totals.getColumn(2).isInteger()) {
      throw JobDamage(PrintableText("the totals of table \"" + name + "\" are no numbers", 200));
    }
    stored[name] = {totals.getColumn(1).getInt64(),
                    static_cast<uint64_t>(totals.getColumn(2).getInt64())};
  }
  for (const JobTable& table : kJobTables) {
    const Totals found = WalkTable(db, table, true);
    const auto it = stored.find(std::string(table.name));
    if (it == stored.end()) {
      throw JobDamage(fmt::format("the totals of table \"{}\" are missing", table.name));
    }
    if (it->second.rows != found.rows) {
      throw JobDamage(fmt::format("table \"{}\" has {} rows, its total says {}", table.name,
                                  found.rows, it->second.rows));
    }
    if (it->second.total != found.total) {
      throw JobDamage(fmt::format("the rows of table \"{}\" do not add up to its total",
                                  table.name));
    }
    stored.erase(it);
  }
  if (!stored.empty()) {
    throw JobDamage(PrintableText(
        "totals of the unknown table \"" + stored.begin()->first + "\"", 200));
  }
}

}  // namespace sulkor::host
