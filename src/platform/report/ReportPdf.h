// Our own PDF writer for ReportPages: vector text in embedded TrueType fonts
// (found through fontconfig, so "Arial" is Liberation Sans), one text operator
// per line, lines, shapes and images. Much faster than painting through Qt.
#pragma once

#include "platform/report/ReportPages.h"

class QIODevice;

namespace vorn::report {

bool writePdf(const ReportPages &pages, QIODevice *out, QString *error);

} // namespace vorn::report
