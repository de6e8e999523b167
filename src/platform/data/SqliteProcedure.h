// Stored procedures on SQLite: the body is kept in the catalogue database's own
// table VornProcedure (Name, Params, Body) and run statement by statement inside one
// savepoint, with "@Name" parameters bound natively and outputs read by name from
// the last statement that returned a row.
#pragma once
#include "platform/data/Database.h"
#include "platform/data/Param.h"

struct sqlite3;

namespace vorn::sqliteproc {

// "@GrpName varchar in, @IdParent int in, @Id int out" -> parameters with types and
// directions; raises for a declaration it cannot read.
ParamList parseDeclaration(const QString &params);
FieldType declaredType(const QString &type);

// The declared parameters of a procedure; raises "Процедура не найдена: <name>".
ParamList declaredParams(sqlite3 *db, const QString &name);

// Runs the procedure. params: the caller's values (names with or without '@'); a
// declared parameter not given is NULL. Output parameters are written back into
// params (added when missing). Returns the rows of the last statement with a result.
ResultSet execute(sqlite3 *db, const QString &name, ParamList &params);

} // namespace vorn::sqliteproc
