// What the body's measures tell, in words: for the 身体围度 window and for --summary.
#pragma once

#include "health/body.h"
#include "health/measure.h"

#include <QStringList>
#include <vector>

namespace measurefacts {

// One fact a line, from the rows by date and the profile: the newest waist with its class, the waist-to-height and
// waist-to-hip ratios, the changes since the first row and in the last four weeks; what is missing says so.
QStringList facts(const std::vector<health::Measurement>& rows, const health::Profile& profile);
// 腰围：86厘米（中心型肥胖前期），腰高比 0.52; empty without a waist.
QString summaryLine(const std::vector<health::Measurement>& rows, const health::Profile& profile);
// "−2 厘米" style: a signed change at its tenth with its unit.
QString changeText(double change, const QString& unit);

} // namespace measurefacts
