#pragma once

#include "sources/CppSQLite3.h"

#include <sqlite3.h>

namespace sqlite_detail
{
// Raises the connection's current error (or the generic text of `rc` without a connection).
[[noreturn]] void Throw(sqlite3* db, int rc);
[[noreturn]] void ThrowMisuse(const char* what);

// Statements are shared between a CppSQLite3Statement and the queries it returns; the last owner
// finalizes.
std::shared_ptr<sqlite3_stmt> Own(sqlite3_stmt* stmt);
} // namespace sqlite_detail
