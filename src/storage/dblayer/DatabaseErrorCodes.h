#pragma once
// Error codes of the database access layer. Codes other than these are SQLite's own result codes,
// passed through unchanged; code 1 is both "file not found" here and SQLite's generic error.

enum DatabaseErrorCode {
    DATABASE_LAYER_OK = 0,                 // after ResetErrors(); message empty
    DATABASE_LAYER_FILE_NOT_FOUND = 1,     // OpenExisting() on a missing file
    DATABASE_LAYER_FIELD_NOT_FOUND = 8,    // a column name that the result set does not hold
    DATABASE_LAYER_NO_ROWS_FOUND = 9,      // a single-value query returned no row
    DATABASE_LAYER_NON_UNIQUE_RESULT = 10  // a single-value query that requires one row got more
};

// The layer's code for an SQLite result code: the identity, kept as one function so that every
// place that turns an SQLite failure into a layer error says so.
inline int TranslateSqliteErrorCode(int sqliteCode) { return sqliteCode; }
