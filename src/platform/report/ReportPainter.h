// Draws one page of the display list with QPainter: used by PDF, PNG, SVG, the
// printer and the preview, so every output places text and lines the same way.
#pragma once

#include "platform/report/ReportPages.h"

#include <QPainter>

namespace vorn::report {

// Paint page `index` with its top left at `origin` (device pixels); the scale
// comes from the device's logical resolution, fonts keep their point sizes.
void paintPage(QPainter &painter, const ReportPages &pages, int index, QPointF origin = QPointF());

} // namespace vorn::report
