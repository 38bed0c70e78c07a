#pragma once
// Describes the columns of a result set. Handed out by DatabaseResultSet::GetMetaData(), which
// keeps it until CloseMetaData() or the result set's Close().
#include "storage/dblayer/ColumnType.h"
#include "storage/dblayer/DatabaseStringConverter.h"

class ResultSetMetaData : public DatabaseStringConverter {
public:
    // Positions count from 1.
    virtual int GetColumnType(int position) = 0;
    virtual int GetColumnSize(int position) = 0;
    virtual wxString GetColumnName(int position) = 0;
    virtual int GetColumnCount() = 0;
};
