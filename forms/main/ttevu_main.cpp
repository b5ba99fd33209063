// The main window: creation, first show, close, and the buttons that belong to no view.
#include "forms/main/ttevu_main.h"

#include "forms/accessible.h"
#include "forms/guard.h"
#include "forms/look.h"
#include "forms/main/keyboard.h"
#include "forms/pictures.h"
#include "forms/placement.h"
#include "forms/textbox.h"
#include "ui_ttevu_main.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>

Ttevu_main* tevu_main = nullptr;

namespace {

// To assistive technology the main window is a frame like any other window, though it draws its own.
QAccessibleInterface* mainWindowAccessible(const QString&, QObject* object)
{
    auto* window = qobject_cast<Ttevu_main*>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

} // namespace

Ttevu_main::Ttevu_main(Connection& connection, Dataset& articlesAndDiary, Dataset& foods, Dialogs dialogs,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ADOCN(connection),
      ADODataSet_tevu(articlesAndDiary),
      ADODataSet(foods),
      m_dialogs(std::move(dialogs)),
      m_ui(std::make_unique<Ui::Ttevu_main>())
{
    static const bool accessible = [] {
        QAccessible::installFactory(mainWindowAccessible);
        return true;
    }();
    textbox::keepAltKeysOutOfText();
    accessible::nameListBoxesByTheirField();
    (void)accessible;
    // The window's font before its controls exist, and the application's for as long as they are made: the content
    // box lays its empty document out as it is made, in the application's font, and would load a face for nothing.
    look::setWindowFont(this, look::formFont, 11);
    {
        const QFont applicationFont = QApplication::font();
        QApplication::setFont(font());
        m_ui->setupUi(this);
        QApplication::setFont(applicationFont);
    }
    setFixedSize(600, 335);
    const std::pair<QLabel*, const char*> skin[] = {
        {m_ui->Image1, "background.jpg"}, {m_ui->Image3, "minimize.bmp"},  {m_ui->Image4, "close.bmp"},
        {m_ui->Image5, "recipes.ico"},    {m_ui->Image6, "exercises.ico"}, {m_ui->Image7, "tips.ico"},
        {m_ui->Image8, "diary.ico"},      {m_ui->Image9, "calorie.ico"},   {m_ui->Image10, "plan.ico"},
        {m_ui->Image11, "curve.ico"},     {m_ui->Image2, "previous.jpg"},  {m_ui->Image12, "next.jpg"},
        {m_ui->Image15, "ok.jpg"},        {m_ui->Image13, "new.jpg"}};
    for (const auto& [picture, file] : skin)
        picture->setPixmap(pictures::pixmap(file));
    for (QLabel* caption :
         {m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5, m_ui->Label6, m_ui->Label7, m_ui->Label8})
        look::setCaption(caption, look::formFont, 11, QColor(0x80, 0x00, 0x80));
    look::setCaption(m_ui->Label1, look::roundFont, 15, QColor(0x00, 0x80, 0x00));

    wire(m_ui->Image3, &Ttevu_main::Image3MouseUp);
    wire(m_ui->Image4, &Ttevu_main::Image4MouseUp);
    wire(m_ui->Image5, &Ttevu_main::Image5MouseUp);
    wire(m_ui->Image6, &Ttevu_main::Image6MouseUp);
    wire(m_ui->Image7, &Ttevu_main::Image7MouseUp);
    wire(m_ui->Image8, &Ttevu_main::Image8MouseUp);
    wire(m_ui->Image9, &Ttevu_main::Image9MouseUp);
    wire(m_ui->Image10, &Ttevu_main::Image10MouseUp);
    wire(m_ui->Image11, &Ttevu_main::Image11MouseUp);
    wire(m_ui->Image2, &Ttevu_main::Image2MouseUp);
    wire(m_ui->Image12, &Ttevu_main::Image12MouseUp);
    wire(m_ui->Image13, &Ttevu_main::Image13MouseUp);
    wire(m_ui->Image15, &Ttevu_main::Image15MouseUp);
    connect(m_ui->Image9, &ImageButton::pressed, this, [this] { guarded([this] { Image9MouseDown(); }); });
    connect(m_ui->Shape1, &HotArea::pressed, this, [this] { guarded([this] { Shape1MouseDown(); }); });
    installShortcuts(*m_ui);
    auto* goal = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_8), this);
    goal->setObjectName(QStringLiteral("GoalShortcut"));
    connect(goal, &QShortcut::activated, this, [this] {
        if (m_dialogs.showGoal)
            guarded(m_dialogs.showGoal);
    });

    auto* foodLog = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_9), this);
    foodLog->setObjectName(QStringLiteral("FoodLogShortcut"));
    connect(foodLog, &QShortcut::activated, this, [this] {
        if (m_dialogs.showFoodLog)
            guarded(m_dialogs.showFoodLog);
    });

    auto* measure = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_0), this);
    measure->setObjectName(QStringLiteral("MeasureShortcut"));
    connect(measure, &QShortcut::activated, this, [this] {
        if (m_dialogs.showMeasure)
            guarded(m_dialogs.showMeasure);
    });

    guarded([this] { FormCreate(); });
}

Ttevu_main::~Ttevu_main() = default;

// A switch, not a table in the enum's order: a view added or moved cannot take another view's row.
Ttevu_main::ViewControls Ttevu_main::shownIn(View view)
{
    switch (view) {
    case View::Start:
        return {.tree = false, .content = true, .paging = false, .diaryButtons = false, .weight = false};
    case View::Articles:
        return {.tree = false, .content = true, .paging = true, .diaryButtons = false, .weight = false};
    case View::Diary:
        return {.tree = false, .content = true, .paging = false, .diaryButtons = true, .weight = false};
    case View::Writing:
        return {.tree = false, .content = true, .paging = false, .diaryButtons = true, .weight = true};
    case View::Calories:
        return {.tree = true, .content = false, .paging = false, .diaryButtons = false, .weight = false};
    }
    Q_UNREACHABLE();
}

void Ttevu_main::showSmallButtons(View view)
{
    const ViewControls shown = shownIn(view);
    m_ui->Image2->setVisible(shown.paging);
    m_ui->Image12->setVisible(shown.paging);
    m_ui->Image13->setVisible(shown.diaryButtons);
    m_ui->Image15->setVisible(shown.diaryButtons);
}

void Ttevu_main::fitMessageLine()
{
    // The designed 16 pixels are less than the line of the face that stands in for the design's font: the bottoms of
    // 走 and 点 were cut off. The line's own height, from what the font draws Chinese with. Measured when a view is
    // first entered: the start view's line is empty, and measuring loads a face that the first paint does not need.
    if (std::exchange(m_messageLineFitted, true))
        return;
    const int line = QFontMetrics(m_ui->Label1->font()).boundingRect(QStringLiteral("走点体重")).height();
    m_ui->Label1->resize(m_ui->Label1->width(), std::max(m_ui->Label1->height(), line));
}

void Ttevu_main::showView(View view)
{
    ++m_viewsShown;
    if (view != View::Start)
        fitMessageLine();
    if (view != View::Diary && m_listing) {
        m_listing = false;
        m_ui->Memo1->setExtraSelections({});
    }
    if (view != View::Writing && m_writingDiary) {
        // The entry is left unsaved: it is kept for the next new entry, and OK would ignore whatever the box took now.
        // A change of a listed entry is dropped instead: the next new entry is not that one.
        if (!dropDiaryEdit())
            m_draft = m_ui->Memo1->toPlainText();
        m_writingDiary = false;
        m_ui->Memo1->setReadOnly(true);
    }
    const ViewControls shown = shownIn(view);
    if (shown.tree || m_foodTree)
        foodTree()->setVisible(shown.tree);
    m_ui->Memo1->setVisible(shown.content);
    showSmallButtons(view);
    m_ui->Edit1->setVisible(shown.weight);
    // The keys go to what the view shows: a hidden tree kept the focus, so PageDown did not page the diary and the
    // arrows moved a selection that no one could see.
    QWidget* const first = shown.tree ? static_cast<QWidget*>(m_foodTree) : m_ui->Memo1;
    first->setFocus(Qt::OtherFocusReason);
}

void Ttevu_main::wire(ImageButton* button, void (Ttevu_main::*onRelease)())
{
    connect(button, &ImageButton::released, this,
            [this, onRelease] { guarded([this, onRelease] { (this->*onRelease)(); }); });
}

bool Ttevu_main::eventFilter(QObject* watched, QEvent* event)
{
    if (diaryListingEvent(watched, event))
        return true;
    if (watched == m_foodTree && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // The food chosen stays marked while the focus is in the search box or the row that logs it, so that the user
        // sees what 加入今天 will add; elsewhere the tree shows no selection without the focus.
        const QWidget* now = QApplication::focusWidget();
        const bool logging =
            now && (now == m_ui->Edit2 || now == m_amount || now == m_unit || now == m_meal || now == m_addToday);
        showTreeSelection(event->type() == QEvent::FocusIn || logging);
    }
    // Enter on a food under 常吃的 logs its portion again.
    if (watched == m_foodTree && event->type() == QEvent::KeyPress && isOftenNode(m_foodTree->currentItem())) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this] { addToToday(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Ttevu_main::showTreeSelection(bool shown)
{
    QPalette palette = m_treePalette;
    if (shown) {
        palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::HighlightedText));
    } else {
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Highlight, palette.color(group, QPalette::Base));
            palette.setColor(group, QPalette::HighlightedText, palette.color(group, QPalette::Text));
        }
    }
    m_foodTree->setPalette(palette);
}

void Ttevu_main::FormCreate()
{
    ADOCN.openDatabase();
    m_ui->Label1->setText(QString());
}

void Ttevu_main::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        placeBeforeShowing(this);
    }
    QWidget::setVisible(visible);
}

void Ttevu_main::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        guarded([this] { FormShow(); });
    }
}

void Ttevu_main::mousePressEvent(QMouseEvent* event)
{
    // Pictures and text boxes take their own presses; what reaches the window is a press on the skin or a caption.
    if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void Ttevu_main::FormShow()
{
    buildFoodTree();
}

void Ttevu_main::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void Ttevu_main::FormClose()
{
    QCoreApplication::exit(0);
}

void Ttevu_main::Image3MouseUp()
{
    showMinimized();
}

void Ttevu_main::Image4MouseUp()
{
    // A posted request: the loop ends when it reaches it, and no close event runs on this path.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void Ttevu_main::Image10MouseUp()
{
    m_dialogs.showPlan();
}

void Ttevu_main::Image11MouseUp()
{
    m_dialogs.showCurve();
}

void Ttevu_main::Shape1MouseDown()
{
    m_dialogs.showAbout();
}
