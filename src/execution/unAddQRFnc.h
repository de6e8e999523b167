// The report functions the program adds to the report expression language:
// NUMTORUS (a number in Russian words) and USERFIO (the user's full name).
#pragma once
#include "platform/report/ReportExpression.h"

#include <functional>

// Adds NUMTORUS and USERFIO to a registry.
void RegisterReportFunctions(vorn::report::FunctionRegistry &registry);
// The standard functions plus the program's, made once at start-up.
const vorn::report::FunctionRegistry &ReportFunctions();

vorn::report::ReportValue NumToRusFunction(const QList<vorn::report::ReportValue> &args);
vorn::report::ReportValue UserFioFunction(const QList<vorn::report::ReportValue> &args);
