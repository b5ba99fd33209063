// The skinned main window: its picture buttons, the three views of its centre area, and the data it owns.
#pragma once

#include "chart/lineseries.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/rowchanges.h"
#include "foods/foodlog.h"
#include "foods/search.h"

#include <QHash>
#include <QPalette>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace Ui {
class Ttevu_main;
}
class ImageButton;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class Ttevu_main : public QWidget {
    Q_OBJECT

public:
    // What the window opens without knowing those windows: each shows its window modally.
    struct Dialogs {
        std::function<void()> showAbout;
        std::function<void()> showPlan;
        std::function<void()> showCurve;
        std::function<void()> showGoal;    // Alt+8: no picture of the skin stands for it
        std::function<void()> showFoodLog; // Alt+9, the calorie view's 今天吃了什么, the diary's menu
    };

    // The creation opens the connection; the connection and the datasets must outlive the window.
    Ttevu_main(Connection& connection, Dataset& articlesAndDiary, Dataset& foods, Dialogs dialogs,
               QWidget* parent = nullptr);
    ~Ttevu_main() override;

    Ui::Ttevu_main* ui() const { return m_ui.get(); }
    // True between a new diary entry and the OK that saves it.
    bool writingDiary() const { return m_writingDiary; }
    // The diary, then a new entry: what the reminder's 记录 opens the program for.
    void startNewEntry();

    // Centred before it is shown (see placeBeforeShowing()).
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The window has no frame to drag: a left press on the skin, outside the pictures, lets the window system move it.
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What the centre area shows; the controls of each are one table in ttevu_main.cpp.
    enum class View { Start, Articles, Diary, Writing, Calories };
    // Which controls of the centre area a view shows; every other one of them it hides.
    struct ViewControls {
        bool tree;
        bool content;
        bool paging;       // Image2, Image12
        bool diaryButtons; // Image13, Image15
        bool weight;
    };
    static ViewControls shownIn(View view);
    // Shows the view's controls and hides the others; any other view than Writing leaves the entry being written, and
    // the content box read-only.
    void showView(View view);
    void fitMessageLine();
    // The four small buttons (previous, next, new entry, OK) as the view shows them.
    void showSmallButtons(View view);

    void wire(ImageButton* button, void (Ttevu_main::*onRelease)());
    // The food tree's selection is drawn only while the tree has the focus.
    void showTreeSelection(bool shown);

    void FormCreate();
    void FormShow();
    void FormClose();

    void Image3MouseUp();
    void Image4MouseUp();
    void Image10MouseUp();
    void Image11MouseUp();
    void Shape1MouseDown();

    // Article browser (article_view.cpp)
    void Image5MouseUp();
    void Image6MouseUp();
    void Image7MouseUp();
    void Image2MouseUp();
    void Image12MouseUp();
    void enterArticles(const QString& commandText);
    void showArticle();

    // Slimming diary (diary_view.cpp)
    void Image8MouseUp();
    void Image13MouseUp();
    void Image15MouseUp();
    // The weight box of the first new entry of a start: the newest stored weight rather than the design's 125, which a
    // hurried OK would store as the day's weight. Later entries keep the last weight typed.
    void prefillNewestWeight();
    // Reloads the diary and moves to the row of m_unconfirmed; false when that save never reached the file.
    bool findUnconfirmedEntry();

    // Choosing, changing and removing listed diary entries (diary_edits.cpp). Entry i is the listing's paragraph i,
    // newest first; it is known by its row key, since two entries may share their time.
    // After a listing: the keys of the entries listed, none of them chosen.
    void keepListedKeys();
    bool diaryListingEvent(QObject* watched, QEvent* event);
    // What a click (or an arrow key) on entry `entry` chooses with these modifiers.
    void chooseEntry(int entry, Qt::KeyboardModifiers modifiers);
    void showChosenEntries();
    // The diary dataset's row of a listed entry, the diary read again when the dataset holds anything else.
    int diaryRow(int entry);
    // Before an edit or a deletion: when another program changed the file since the listing (an import or a restore
    // gives the rows new keys), lists the diary again and chooses the same entries by what the listing showed of
    // them; throws, changing nothing, when one of them is no longer there.
    void relistWhenChangedElsewhere();
    void editChosenEntry();
    void deleteChosenEntries();
    void saveEditedEntry();
    // Ends an edit without saving; false when none was going on.
    bool dropDiaryEdit();
    void undoDiaryChange();
    void redoDiaryChange();
    // Lists the diary again with the entries of these keys chosen and the message line saying `message`.
    void relistDiary(const std::vector<qint64>& chosen, const QString& message);
    // True when the weight is likely, or the user confirms it; the entry being edited is no reference for itself.
    bool confirmLikelyWeight(double weight, std::optional<qint64> edited);
    // The diary's weighings in time order, without the entry being edited.
    const std::vector<LineSeries::Point>& weighingsWithout(std::optional<qint64> edited);
    void keepWeighingsOfAppendedEntry(quint64 generationBefore);
    void rememberSavedEntry(qint64 key, const QString& time);

    // Calorie lookup (calorie_view.cpp)
    // Reads the categories and foods when the window is first shown. The tree and its nodes are made when a view
    // first shows it: until then no window shows them.
    void buildFoodTree();
    QTreeWidget* foodTree();
    // The household units of the foods, read once when the tree is first wanted.
    void loadFoodExtras();
    // The pinyin of the foods, read into the search index once: after the tree's first paint, or at the first
    // keystroke when that comes sooner.
    void loadFoodReadings();
    void Image9MouseDown();
    void Image9MouseUp();
    void TreeView1Click();
    // The search box above the tree: the tree shows the foods that match, the best one current.
    void Edit2Change();
    // Enter, Escape and Down in the search box; true when the key was taken.
    bool searchBoxKey(int key);
    // Typing while the tree has the focus goes on in the search box.
    void typeIntoSearch(const QString& text);
    struct Portion;
    static QString energyText(const QString& energy, const QList<Portion>& portions);
    // The food log's row under the tree: amount, unit, meal, 加入今天 and 今天吃了什么.
    void makeFoodLogRow();
    // The units of the food current in the tree, `per100g` its row's energy; none while no food is current.
    void showFoodUnits(const QString& title, const QString& per100g);
    // Adds the amount of the current food to today's log at this moment.
    void addToToday();

    Connection& ADOCN;
    Dataset& ADODataSet_tevu;
    Dataset& ADODataSet;
    const Dialogs m_dialogs;
    const std::unique_ptr<Ui::Ttevu_main> m_ui;
    QPalette m_treePalette;
    // What the first showing read for the tree, until its nodes are added.
    struct FoodTreeRows {
        QStringList categories;
        QList<QStringList> foods;
        QList<QList<qsizetype>> positions; // of each food in m_foodIndex
    };
    std::optional<FoodTreeRows> m_foodTreeRows;
    // The household units of each food by title, read with the foods; none for a file made before they were shipped.
    struct Portion {
        QString unit;
        QString amount;  // grams of edible part, or millilitres for a liquid
        QString measure; // 克 or 毫升
    };
    QHash<QString, QList<Portion>> m_portions;
    // The first row of 01 of each title, for the energy look-up of the food chosen.
    QHash<QString, int> m_foodRowOfTitle;
    // Each title's position in m_foodIndex, for the pinyin read later.
    QHash<QString, qsizetype> m_positionOfTitle;
    bool m_extrasLoaded = false;
    bool m_readingsLoaded = false;
    // A file that failed to give the pinyin says so once per entry into a view, not at every keystroke.
    bool m_readingsFailed = false;
    QTreeWidget* m_foodTree = nullptr;
    QLineEdit* m_amount = nullptr;
    QComboBox* m_unit = nullptr;
    QComboBox* m_meal = nullptr;
    QPushButton* m_addToday = nullptr;
    QPushButton* m_showDay = nullptr;
    std::optional<foodlog::Food> m_loggedFood;
    // Every food of 01 in its order, with the pinyin make-data stored; the tree's node of each (none for a food whose
    // category is not in 02).
    search::SearchIndex m_foodIndex;
    QList<QTreeWidgetItem*> m_foodNodes;
    // Each category's node with its foods' nodes in the table's order and their positions in m_foodIndex. A search
    // takes the foods it does not show out of the tree (hiding thousands of rows one by one took longer than the
    // search) and puts them back in order; these hold them meanwhile, and delete the ones out of the tree at the end.
    struct FoodBranch {
        QTreeWidgetItem* category;
        QList<QTreeWidgetItem*> foods;
        QList<qsizetype> positions;
        QList<QTreeWidgetItem*> inTree; // the foods under the category now
    };
    struct FoodBranches : std::vector<FoodBranch> {
        FoodBranches() = default;
        FoodBranches(const FoodBranches&) = delete;
        FoodBranches& operator=(const FoodBranches&) = delete;
        ~FoodBranches();
    };
    FoodBranches m_foodBranches;
    // The categories open before a search opened the ones with matches, to be open again when it is cleared.
    std::optional<QList<QTreeWidgetItem*>> m_openBeforeSearch;
    QString m_searchAnnounced;
    bool m_shown = false;
    bool m_placed = false;
    bool m_writingDiary = false;
    // The diary's weighings as the check on unlikely weights reads them, for the diary's rows of one generation (0:
    // none kept).
    struct Weighings {
        quint64 generation = 0;
        std::vector<LineSeries::Point> points;
    };
    Weighings m_weighings;
    quint64 m_viewsShown = 0; // counts every change of view, so that a queued refresh knows whether it is stale
    bool m_weightPrefilled = false;

    // An entry whose save failed, identified by its listed time and the texts it was saved with: the failure may
    // have come after the row was already in the file.
    struct UnconfirmedEntry {
        QString time;
        QStringList texts;
    };
    std::optional<UnconfirmedEntry> m_unconfirmed;
    // The text of an entry left unsaved for another view, until the next new entry takes it back.
    std::optional<QString> m_draft;

    bool m_listing = false; // the diary view shows its listing
    bool m_messageLineFitted = false;
    std::vector<qint64> m_listedKeys;
    qint64 m_listedVersion = 0; // the file's data version when the listing was read
    std::set<int> m_chosen;
    int m_currentEntry = -1; // where the arrow keys move from
    int m_anchorEntry = -1;  // where a Shift range starts
    struct EditedEntry {
        rowchanges::SeenRow row; // its key, and its time, text and weight as the file held them
        qint64 version;          // the file's data version when they were read
        QString time;            // as listed
        QString weightAside;     // what the weight box held for a new entry
        QRect weightBoxPlace;    // where the design puts the weight box
    };
    std::optional<EditedEntry> m_edited;
    // Saves, edits and deletions of this session, each with what the message line calls it.
    struct DiaryChange {
        rowchanges::Change change;
        QString what;
    };
    std::vector<DiaryChange> m_undone;
    std::vector<DiaryChange> m_done;
};

extern Ttevu_main* tevu_main;
