// The report from the curve window.
#include "app/reportexport.h"

#include "report/report.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace reportexport {

void ask(QWidget* parent, const QString& dataPath, const QDate& from, const QDate& to)
{
    const QDate today = QDate::currentDate();
    const QString suggested =
        QDir::home().filePath(QStringLiteral("瘦身记录报告-%1.pdf").arg(today.toString(QStringLiteral("yyyyMMdd"))));
    QString target =
        QFileDialog::getSaveFileName(parent, QStringLiteral("导出报告"), suggested, QStringLiteral("PDF 文件 (*.pdf)"));
    if (target.isEmpty())
        return;
    if (!target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        target += QStringLiteral(".pdf");
    report::Options options;
    options.from = from;
    options.to = to;
    options.made = today;
    const report::Result result = report::write(dataPath, target, options);
    QMessageBox::information(
        parent, QStringLiteral("Tevu"),
        QStringLiteral("已把报告写成“%1”：%2 页，称重 %3 次。").arg(target).arg(result.pages).arg(result.weighings));
}

} // namespace reportexport
