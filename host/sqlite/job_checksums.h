// The checksums of a job file's rows (job_schema.h describes where they are kept). They let a
// job find any damage to its content that SQLite's own integrity check cannot see: a changed
// byte of a value, a row lost or added.
#pragma once

namespace SQLite {
class Database;
}

namespace sulkor::host {

// Makes the SQL function job_row_sum(table, values...) known to the connection: the checksum
// of one row. Every connection to a job file needs it before writing or checking.
void RegisterRowChecksum(SQLite::Database& db);

// Computes the checksum of every row and the totals of every table, after the rows were
// written (inside the writing transaction).
void SealJobRows(SQLite::Database& db);

// Throws JobDamage naming the first row whose checksum does not match, or the first table
// whose rows do not add up to its total.
void VerifyJobRows(SQLite::Database& db);

}  // namespace sulkor::host
