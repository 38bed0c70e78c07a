#pragma once
// What ResultSetMetaData::GetColumnType() says about a column: from its declared type where that
// is one of the known names, otherwise from the storage class of the current value.

enum ColumnType {
    ColumnUnknown = 0,
    ColumnNull = 1,
    ColumnInteger = 2,
    ColumnString = 3,
    ColumnDouble = 4,
    ColumnBool = 5,
    ColumnBlob = 6,
    ColumnDate = 7
};
