#pragma once
// The rows of one query, read one at a time with Next(). Columns are given by position (from 1)
// or by name; each by-name getter is FieldIndex() followed by the by-position getter. Metadata
// objects handed out by GetMetaData() belong to the result set until CloseMetaData() or Close().
#include "storage/dblayer/DatabaseErrorReporter.h"
#include "storage/dblayer/DatabaseStringConverter.h"

#include <cstdint>
#include <set>
#include <wx/buffer.h>
#include <wx/datetime.h>
#include <wx/string.h>

class ResultSetMetaData;

class DatabaseResultSet : public DatabaseErrorReporter, public DatabaseStringConverter {
public:
    DatabaseResultSet() = default;
    DatabaseResultSet(const DatabaseResultSet&) = delete;
    DatabaseResultSet& operator=(const DatabaseResultSet&) = delete;
    ~DatabaseResultSet() override;

    virtual bool Next() = 0;
    virtual void Close() = 0;
    // The position (from 1) of the column called name, matched exactly; throws code 8 otherwise.
    virtual int FieldIndex(const wxString& name) = 0;

    virtual int GetInt(const wxString& name);
    virtual int GetInt(int position) = 0;
    virtual wxString GetString(const wxString& name);
    virtual wxString GetString(int position) = 0;
    virtual std::int32_t GetLong(const wxString& name);
    virtual std::int32_t GetLong(int position) = 0;
    virtual bool GetBool(const wxString& name);
    virtual bool GetBool(int position) = 0;
    virtual wxDateTime GetDate(const wxString& name);
    virtual wxDateTime GetDate(int position) = 0;
    // Replaces buffer with a copy of the column's bytes; null (and an empty buffer) when it has none.
    virtual void* GetBlob(const wxString& name, wxMemoryBuffer& buffer);
    virtual void* GetBlob(int position, wxMemoryBuffer& buffer) = 0;
    virtual double GetDouble(const wxString& name);
    virtual double GetDouble(int position) = 0;
    virtual bool IsNull(const wxString& name);
    virtual bool IsNull(int position) = 0;

    virtual ResultSetMetaData* GetMetaData() = 0;
    // Destroys metaData (forgetting it if this result set handed it out); false for null.
    virtual bool CloseMetaData(ResultSetMetaData* metaData);

protected:
    void RememberMetaData(ResultSetMetaData* metaData) { metaDataObjects.insert(metaData); }
    // Destroys every metadata object still remembered.
    void CloseAllMetaData();

private:
    std::set<ResultSetMetaData*> metaDataObjects;
};
