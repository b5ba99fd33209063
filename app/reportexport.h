// The curve window's 导出报告…: a file chosen by the user, then the page for a doctor written there.
#pragma once

#include <QDate>
#include <QString>

class QWidget;

namespace reportexport {

// Asks where to save (a PDF in the home folder by default), then writes the report of the days from `from` to `to`
// (open ends when null), without the diary's texts, and says where it went. Throws DataError with the reason.
void ask(QWidget* parent, const QString& dataPath, const QDate& from, const QDate& to);

} // namespace reportexport
