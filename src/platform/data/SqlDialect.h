// The SQL that differs between servers: how a stored procedure is called with typed
// in/out parameters, how its parameter list is read from the server, and the
// password-change statement of each dialect.
#pragma once
#include "platform/data/Database.h"
#include "platform/data/Param.h"
#include "platform/data/SqlText.h"

namespace vorn::dialect {

// Call text with '?' markers; *bound receives the indexes (into params) of the
// parameters in marker order.
//   MSSQL:      EXEC name @A = ?, @B = ? OUTPUT
//   PostgreSQL: select * from name(p_a => ?, p_b => ?)      (OUT parameters not passed)
QString procedureCall(Database::Dialect d, const QString &name, const ParamList &params, QList<int> *bound);

// Statement reading a procedure's parameters (name, type, mode) in declaration order;
// one ":ProcName" parameter.
QString procedureParamsQuery(Database::Dialect d);

// Password change. SQLite: ":salt", ":new", ":old" parameters against VornLogin.
QString changePasswordSql(Database::Dialect d);

// Parameter name prefix of catalogue procedures ('@' / 'p_').
QString paramPrefix(Database::Dialect d);

// A text as a string literal of the dialect, embedded quotes doubled. SQL Server
// gets a Unicode literal (N'...'), or Cyrillic would pass through the database's
// code page on a server whose collation is not Cyrillic.
QString quotedString(Database::Dialect d, const QString &text);

// The quoting and comment rules of the dialect's SQL text.
sqltext::Quoting quoting(Database::Dialect d);

} // namespace vorn::dialect
