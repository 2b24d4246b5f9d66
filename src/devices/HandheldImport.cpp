#include "devices/HandheldImport.h"

#include "platform/RuntimeError.h"

void HandheldImport::RunOne(Connection::Prepared& statement, const std::vector<Value>& params) {
    if (statement.Run(params) != 1)
        throw RuntimeError(ErrorNumber::DatabaseFailure, "A row of the import was not written");
}
