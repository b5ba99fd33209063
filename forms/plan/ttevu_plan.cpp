// The weekly plan window.
#include "forms/plan/ttevu_plan.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "forms/guard.h"
#include "forms/look.h"
#include "ui_ttevu_plan.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

Ttevu_plan* tevu_plan = nullptr;

namespace {
constexpr int days = 7;
const QString planText = QStringLiteral("select * from plan");
const QString field = QStringLiteral("foodsport");
} // namespace

Ttevu_plan::Ttevu_plan(Connection& connection, Dataset& plan, QWidget* parent)
    : TevuDialog(parent, true), ADOCN(connection), ADODataSetPlan(plan), m_ui(std::make_unique<Ui::Ttevu_plan>())
{
    m_ui->setupUi(this);
    connect(m_ui->Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(m_ui->Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(m_ui->GoalButton, &QPushButton::clicked, this, [this] {
        if (m_showGoal)
            guarded(m_showGoal);
    });
}

Ttevu_plan::~Ttevu_plan() = default;

void Ttevu_plan::applyLook()
{
    look::setWindowFont(this, look::formFont, 11);
    for (QLabel* caption :
         {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5, m_ui->Label6, m_ui->Label7})
        look::setCaption(caption, look::formFont, 13, QColor(0x00, 0x00, 0xFF));
    // The boxes are 33 pixels high for two lines: with the window's 11-pixel font, the Chinese face's line height and
    // the editor's usual margin they showed one and a half. A pixel smaller and without the margin, two lines fit.
    for (int day = 0; day < days; ++day) {
        QPlainTextEdit* box = dayBox(day);
        look::setWindowFont(box, look::formFont, 10);
        box->document()->setDocumentMargin(0);
        // A horizontal scroll bar would leave one line of the two: long words wrap anywhere instead.
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
}

QPlainTextEdit* Ttevu_plan::dayBox(int day) const
{
    QPlainTextEdit* const boxes[days] = {m_ui->Memo1, m_ui->Memo2, m_ui->Memo3, m_ui->Memo4,
                                         m_ui->Memo5, m_ui->Memo6, m_ui->Memo7};
    return boxes[day];
}

void Ttevu_plan::FormShow()
{
    Dataset& plan = ADODataSetPlan;
    load(plan, planText);
    const int rows = plan.recordCount();
    m_stored.clear();
    for (int day = 0; day < days; ++day) {
        // A day without its own row shows empty rather than another day's text.
        m_stored << (day < rows ? plan.asText(field) : QString());
        dayBox(day)->setPlainText(m_stored.back());
        if (day < days - 1)
            plan.next();
    }
}

bool Ttevu_plan::changed() const
{
    for (int day = 0; day < days; ++day)
        if (day >= m_stored.size() || dayBox(day)->toPlainText() != m_stored[day])
            return true;
    return false;
}

void Ttevu_plan::closeEvent(QCloseEvent* event)
{
    if (!m_stored.isEmpty() && changed()) {
        QMessageBox box(QMessageBox::Question, windowTitle(), QStringLiteral("保存修改吗？"), QMessageBox::NoButton,
                        this);
        QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
        QPushButton* discard = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        bool saved = false;
        if (box.clickedButton() == save)
            guarded([this, &saved] {
                Button1Click();
                saved = true;
            });
        // A failed save has been reported; the window stays with the texts, as after Cancel.
        if (box.clickedButton() != discard && !saved) {
            event->ignore();
            return;
        }
    }
    TevuDialog::closeEvent(event);
}

void Ttevu_plan::Button1Click()
{
    Dataset& plan = ADODataSetPlan;
    // All seven days are written or none: a failure part-way leaves the table as it was.
    Transaction transaction(ADOCN);
    try {
        load(plan, planText);
        const int rows = plan.recordCount();
        for (int day = 0; day < days; ++day) {
            // Missing days get rows of their own, in day order.
            if (day < rows)
                plan.edit();
            else
                plan.append();
            plan.setText(field, dayBox(day)->toPlainText());
            if (day < days - 1 && day + 1 < rows)
                plan.next();
        }
        plan.updateBatch();
        transaction.commit();
        m_stored.clear();
        for (int day = 0; day < days; ++day)
            m_stored << dayBox(day)->toPlainText();
    } catch (...) {
        // What the dataset holds may no longer match the file; the boxes keep the user's texts.
        plan.close();
        throw;
    }
    plan.close();
}

void Ttevu_plan::Button2Click()
{
    close();
}
