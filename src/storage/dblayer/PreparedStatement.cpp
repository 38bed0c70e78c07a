#include "storage/dblayer/PreparedStatement.h"

#include "storage/dblayer/DatabaseResultSet.h"

#include <wx/log.h>

PreparedStatement::~PreparedStatement()
{
    CloseAllResultSets();
}

void PreparedStatement::SetParamBlob(int position, const wxMemoryBuffer& buffer)
{
    SetParamBlob(position, buffer.GetData(), static_cast<long>(buffer.GetDataLen()));
}

bool PreparedStatement::CloseResultSet(DatabaseResultSet* resultSet)
{
    if (!resultSet || resultSets.erase(resultSet) == 0)
        return false;
    delete resultSet;
    return true;
}

void PreparedStatement::CloseAllResultSets()
{
    std::set<DatabaseResultSet*> remaining;
    remaining.swap(resultSets);
    for (DatabaseResultSet* resultSet : remaining) {
#ifndef NDEBUG
        wxLogDebug("ResultSet NOT closed and cleaned up by the PreparedStatement dtor");
#endif
        delete resultSet;
    }
}
