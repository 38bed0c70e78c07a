#include "storage/dblayer/DatabaseResultSet.h"

#include "storage/dblayer/ResultSetMetaData.h"

DatabaseResultSet::~DatabaseResultSet()
{
    CloseAllMetaData();
}

int DatabaseResultSet::GetInt(const wxString& name)
{
    return GetInt(FieldIndex(name));
}

wxString DatabaseResultSet::GetString(const wxString& name)
{
    return GetString(FieldIndex(name));
}

std::int32_t DatabaseResultSet::GetLong(const wxString& name)
{
    return GetLong(FieldIndex(name));
}

bool DatabaseResultSet::GetBool(const wxString& name)
{
    return GetBool(FieldIndex(name));
}

wxDateTime DatabaseResultSet::GetDate(const wxString& name)
{
    return GetDate(FieldIndex(name));
}

void* DatabaseResultSet::GetBlob(const wxString& name, wxMemoryBuffer& buffer)
{
    return GetBlob(FieldIndex(name), buffer);
}

double DatabaseResultSet::GetDouble(const wxString& name)
{
    return GetDouble(FieldIndex(name));
}

bool DatabaseResultSet::IsNull(const wxString& name)
{
    return IsNull(FieldIndex(name));
}

bool DatabaseResultSet::CloseMetaData(ResultSetMetaData* metaData)
{
    if (!metaData)
        return false;
    metaDataObjects.erase(metaData);
    delete metaData;
    return true;
}

void DatabaseResultSet::CloseAllMetaData()
{
    std::set<ResultSetMetaData*> remaining;
    remaining.swap(metaDataObjects);
    for (ResultSetMetaData* metaData : remaining)
        delete metaData;
}
