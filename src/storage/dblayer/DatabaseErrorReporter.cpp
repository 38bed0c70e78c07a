#include "storage/dblayer/DatabaseErrorReporter.h"

#include "storage/dblayer/DatabaseLayerException.h"

void DatabaseErrorReporter::ThrowError() const
{
    throw DatabaseLayerException(errorMessage, errorCode);
}
