// The main window's frame, its picture buttons, the About window and start-up errors.
#include "support/tempdb.h"
#include "support/windows.h"

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString contentSql =
    TempDatabase::standardSchema() + QStringLiteral("INSERT INTO sp VALUES('红豆薏米粥','早餐'),('番茄炒蛋','午餐');"
                                                    "INSERT INTO yd VALUES('快走','每天三十分钟');"
                                                    "INSERT INTO xd VALUES('多喝水','每天八杯');");

} // namespace

class TestShell : public QObject {
    Q_OBJECT

private slots:
    void startsInTheStartView()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        QCOMPARE(w.main->size(), QSize(600, 335));
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Tevu"));
        QVERIFY(w.main->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w.find("Memo1")->isVisible());
        QCOMPARE(w.find<QPlainTextEdit>("Memo1")->toPlainText(), QString());
        // The food tree is made when the calorie view is first entered, the other windows when first opened; each
        // window is then its global instance.
        QVERIFY(!w.find("TreeView1"));
        QVERIFY(!w.about.made() && !w.plan.made() && !w.curve.made());
        QVERIFY(!tevu_about && !tevu_plan && !tevu_curve);
        QCOMPARE(tevu_main, w.main.get());
        QCOMPARE(tevu_plan, w.plan.get());
        QCOMPARE(w.find<QLabel>("Label1")->text(), QString());
        for (const char* name : {"Image2", "Image12", "Image13", "Image15", "Edit1"})
            QVERIFY2(!w.find(name)->isVisible(), name);
        // The weight box gets its first text, 125, when it is first shown (newEntryOpensTheBoxAndKeepsTheLastWeight).
        QVERIFY(w.reporter.messages.isEmpty());
    }

    // The message line is as high as its Chinese face draws: the bottoms of 走 and 点 are not cut off.
    void theMessageLineShowsWholeCharacters()
    {
        TempDatabase db;
        Windows w(db.folder());
        // The start view's line is empty; a view is entered before it says anything.
        Windows::click(w.button("Image5"));
        auto* line = w.find<QLabel>("Label1");
        line->setText(QString());
        const QImage empty = line->grab().toImage();
        line->setText(QStringLiteral("走点走点"));
        const QImage text = line->grab().toImage();
        const int bottom = empty.height() - 1;
        QCOMPARE(text.copy(0, bottom, text.width(), 1), empty.copy(0, bottom, empty.width(), 1));
        QVERIFY(text != empty);
        QVERIFY(line->geometry().bottom() < w.find("Memo1")->y());
    }

    void windowedControlsLieAboveThePicturesInTabOrder()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        w.foodTree();
        const QObjectList children = w.main->children();
        auto index = [&](const char* name) { return children.indexOf(w.find(name)); };
        QVERIFY(index("Image1") < index("Image3"));
        QVERIFY(index("Image13") < index("Memo1"));
        QVERIFY(index("Memo1") < index("TreeView1"));
        QVERIFY(index("TreeView1") < index("Edit1"));
        QStringList order;
        QWidget* start = w.find("Memo1");
        QWidget* at = start;
        do {
            if (at == w.find("Memo1") || at == w.find("TreeView1") || at == w.find("Edit1"))
                order << at->objectName();
            at = at->nextInFocusChain();
        } while (at != start);
        QCOMPARE(order, (QStringList{"Memo1", "TreeView1", "Edit1"}));
        QCOMPARE(w.find<QTreeWidget>("TreeView1")->indentation(), 19);
    }

    void onlyTheWindowAndFeatureButtonsShowTheHandCursor()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        for (int i = 3; i <= 11; ++i) {
            const QString name = QStringLiteral("Image%1").arg(i);
            QVERIFY2(w.button(name)->cursor().shape() == Qt::PointingHandCursor, qPrintable(name));
        }
        for (const char* name : {"Image2", "Image12", "Image13", "Image15"})
            QVERIFY2(w.button(name)->cursor().shape() == Qt::ArrowCursor, name);
    }

    void buttonsShiftWhilePressedAndReturnOnRelease_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("design");
        QTest::newRow("Image3") << "Image3" << QPoint(543, 11);
        QTest::newRow("Image5") << "Image5" << QPoint(131, 37);
        QTest::newRow("Image6") << "Image6" << QPoint(199, 37);
        QTest::newRow("Image7") << "Image7" << QPoint(267, 37);
        QTest::newRow("Image8") << "Image8" << QPoint(336, 37);
        QTest::newRow("Image9") << "Image9" << QPoint(404, 37);
        QTest::newRow("Image10") << "Image10" << QPoint(472, 37);
        QTest::newRow("Image11") << "Image11" << QPoint(541, 37);
        QTest::newRow("Image2") << "Image2" << QPoint(419, 98);
        QTest::newRow("Image12") << "Image12" << QPoint(456, 98);
        QTest::newRow("Image13") << "Image13" << QPoint(493, 98);
        QTest::newRow("Image15") << "Image15" << QPoint(531, 98);
    }

    void buttonsShiftWhilePressedAndReturnOnRelease()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, design);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        ImageButton* b = w.button(name);
        QVERIFY(b);
        b->show();
        QCOMPARE(b->pos(), design);
        QTest::mousePress(b, Qt::LeftButton);
        QCOMPARE(b->pos(), design + QPoint(-1, 1));
        QPoint afterRelease;
        connect(b, &ImageButton::released, b, [&] { afterRelease = b->pos(); });
        whileModal([&] { QTest::mouseRelease(b, Qt::LeftButton); });
        QCOMPARE(afterRelease, design); // back in place before the action runs
        QCOMPARE(b->pos(), design);
        if (name == "Image3")
            w.main->showNormal();
    }

    void leftDragOffAndReleaseElsewhereStillActs()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        ImageButton* b = w.button("Image5");
        QTest::mousePress(b, Qt::LeftButton);
        QTest::mouseMove(b, QPoint(200, 200));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(200, 200));
        QCOMPARE(b->pos(), QPoint(131, 37));
        QCOMPARE(w.find<QLabel>("Label1")->text(), QStringLiteral("红豆薏米粥"));
    }

    void rightAndMiddleReleasesGoToThePictureUnderThePointer_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QString>("releasedOver");
        QTest::addColumn<QString>("expectedLabel");
        QTest::addColumn<bool>("pressedStaysShifted");
        for (const auto& [tag, b] : {std::pair{"right", Qt::RightButton}, std::pair{"middle", Qt::MiddleButton}}) {
            QTest::addRow("%s same picture", tag) << b << "Image5"
                                                  << "红豆薏米粥" << false;
            QTest::addRow("%s other picture", tag) << b << "Image6"
                                                   << "快走" << true;
            QTest::addRow("%s caption label", tag) << b << "Label3"
                                                   << "" << true;
            QTest::addRow("%s content box", tag) << b << "Memo1"
                                                 << "" << true;
            QTest::addRow("%s outside", tag) << b << ""
                                             << "" << true;
        }
    }

    void rightAndMiddleReleasesGoToThePictureUnderThePointer()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QString, releasedOver);
        QFETCH(QString, expectedLabel);
        QFETCH(bool, pressedStaysShifted);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        ImageButton* b = w.button("Image5");
        QTest::mousePress(b, button);
        QPoint at(-100, -100); // outside the window
        if (!releasedOver.isEmpty()) {
            QWidget* target = w.find(releasedOver);
            at = b->mapFrom(w.main.get(), target->geometry().center());
        }
        QTest::mouseRelease(b, button, {}, at);
        QCOMPARE(w.find<QLabel>("Label1")->text(), expectedLabel);
        QCOMPARE(b->pos(), pressedStaysShifted ? QPoint(130, 38) : QPoint(131, 37));
        QCOMPARE(w.button("Image6")->pos(), QPoint(199, 37));
        // The picture left pressed returns on its own next release.
        Windows::click(b, Qt::LeftButton);
        QCOMPARE(b->pos(), QPoint(131, 37));
    }

    void doubleClickActsTwice()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        ImageButton* b = w.button("Image5");
        QSignalSpy presses(b, &ImageButton::pressed);
        QSignalSpy spy(b, &ImageButton::released);
        // Two quick clicks at one place: the toolkit turns the second press into a double-click.
        for (int i = 0; i < 2; ++i) {
            QTest::mousePress(b, Qt::LeftButton);
            QTest::mouseRelease(b, Qt::LeftButton);
        }
        QCOMPARE(presses.count(), 2);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(b->pos(), QPoint(131, 37));
    }

    void calorieButtonHidesTheSmallButtonsOnThePress()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        Windows::click(w.button("Image5"));
        QVERIFY(w.find("Image2")->isVisible());
        QTest::mousePress(w.button("Image9"), Qt::LeftButton);
        for (const char* name : {"Image2", "Image12", "Image13", "Image15"})
            QVERIFY2(!w.find(name)->isVisible(), name);
        QVERIFY(w.find("Memo1")->isVisible()); // the view changes on the release
        QTest::mouseRelease(w.button("Image9"), Qt::LeftButton);
        QVERIFY(w.find("TreeView1")->isVisible());
        QVERIFY(!w.find("Memo1")->isVisible());
    }

    void pressInTheTitleOpensAbout_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("left top-left") << Qt::LeftButton << QPoint(248, 0);
        QTest::newRow("right bottom-right") << Qt::RightButton << QPoint(384, 32);
        QTest::newRow("middle centre") << Qt::MiddleButton << QPoint(316, 16);
    }

    void pressInTheTitleOpensAbout()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, at);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        QWidget* hot = w.main->childAt(at);
        QCOMPARE(hot, w.find("Shape1"));
        QWidget* opened = nullptr;
        const bool modal = whileModal([&] { QTest::mousePress(hot, button, {}, hot->mapFrom(w.main.get(), at)); },
                                      [&](QWidget* m) { opened = m; });
        QVERIFY(modal);
        QCOMPARE(opened, static_cast<QWidget*>(w.about.get()));
        QCOMPARE(w.find("Shape1")->pos(), QPoint(248, 0));
        QTest::mouseRelease(hot, button);
    }

    void everyPictureIsTheShippedFile_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("file");
        const char* const rows[][2] = {
            {"Image1", "background.jpg"}, {"Image3", "minimize.bmp"},  {"Image4", "close.bmp"},
            {"Image5", "recipes.ico"},    {"Image6", "exercises.ico"}, {"Image7", "tips.ico"},
            {"Image8", "diary.ico"},      {"Image9", "calorie.ico"},   {"Image10", "plan.ico"},
            {"Image11", "curve.ico"},     {"Image2", "previous.jpg"},  {"Image12", "next.jpg"},
            {"Image15", "ok.jpg"},        {"Image13", "new.jpg"},      {"about", "about.jpg"}};
        for (const auto& [control, file] : rows)
            QTest::newRow(control) << QString::fromLatin1(control) << QString::fromLatin1(file);
    }

    // The pictures are compiled in decoded; each control shows exactly what loading the shipped file gives.
    void everyPictureIsTheShippedFile()
    {
        QFETCH(QString, control);
        QFETCH(QString, file);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        auto* picture = qobject_cast<QLabel*>(control == QStringLiteral("about")
                                                  ? w.about->findChild<QWidget*>(QStringLiteral("Image1"))
                                                  : w.find(control));
        QVERIFY(picture);
        const QImage shipped = QPixmap(QStringLiteral(TEVU_SOURCE_DIR "/resources/images/") + file).toImage();
        QVERIFY(!shipped.isNull());
        // Compared pixel by pixel: an opaque picture is kept at three bytes a pixel.
        QCOMPARE(picture->pixmap().toImage().convertToFormat(shipped.format()), shipped);
    }

    void escapeClosesNoneOfTheSecondaryWindows_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("about") << 0;
        QTest::newRow("plan") << 1;
        QTest::newRow("curve") << 2;
    }

    void escapeClosesNoneOfTheSecondaryWindows()
    {
        QFETCH(int, window);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        const std::function<void()> open[] = {[&] { QTest::mousePress(w.find("Shape1"), Qt::LeftButton); },
                                              [&] { Windows::click(w.button("Image10")); },
                                              [&] { Windows::click(w.button("Image11")); }};
        bool openAfterEscape = false;
        QVERIFY(whileModal(open[window], [&](QWidget* modal) {
            QTest::keyClick(modal, Qt::Key_Escape);
            openAfterEscape = modal->isVisible();
        }));
        QVERIFY(openAfterEscape);
    }

    void aboutClosesOnAClickOnThePictureOnly()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        Ttevu_about* about = w.about.get();
        QCOMPARE(about->windowTitle(), QStringLiteral("guanyu"));
        QCOMPARE(about->accessibleDescription(), QStringLiteral("关于 Tevu"));
        QCOMPARE(about->size(), QSize(349, 224));
        QWidget* picture = about->findChild<QWidget*>("Image1");
        auto* label = about->findChild<QLabel*>("Label1");
        QCOMPARE(label->text(), QStringLiteral("Tevu"));
        bool stillOpenAfterLabel = false;
        bool closedAfterPicture = false;
        whileModal([&] { about->exec(); },
                   [&](QWidget* m) {
                       QTest::mouseClick(label, Qt::LeftButton);
                       stillOpenAfterLabel = m->isVisible();
                       QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(20, 200));
                       stillOpenAfterLabel = stillOpenAfterLabel && m->isVisible();
                       QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(20, 200));
                       closedAfterPicture = !m->isVisible();
                   });
        QVERIFY(stillOpenAfterLabel);
        QVERIFY(closedAfterPicture);
    }

    void anErrorInAnActionIsReportedOnceAndLeavesThePictureInPlace()
    {
        TempDatabase db(QStringLiteral("CREATE TABLE \"02\"(Name TEXT); CREATE TABLE sp(Title TEXT, demo TEXT);"
                                       "INSERT INTO sp VALUES('a','b');"));
        Windows w(db.folder());
        Windows::click(w.button("Image5"));
        QCOMPARE(w.reporter.messages, QStringList{QStringLiteral("ADODataSet_tevu: 找不到字段“Name”")});
        QCOMPARE(w.button("Image5")->pos(), QPoint(131, 37));
        QCOMPARE(w.find<QPlainTextEdit>("Memo1")->toPlainText(), QString());
    }

    void startingWithoutTheFileReportsTwiceAndStillShowsTheWindow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.Mdb"));
        const QString missing = QStringLiteral("找不到数据库文件“%1”").arg(path);
        Windows w(dir.path());
        QCOMPARE(w.reporter.messages, (QStringList{missing, missing}));
        QVERIFY(w.main->isVisible());
        QCOMPARE(w.find<QLabel>("Label1")->text(), QStringLiteral("Label1"));
        QVERIFY(!QFile::exists(path));

        // Each later load tries again, and works once the file is there.
        Windows::click(w.button("Image5"));
        QCOMPARE(w.reporter.messages.size(), 3);
        TempDatabase db(contentSql);
        QVERIFY(QFile::copy(db.path(), path));
        Windows::click(w.button("Image5"));
        QCOMPARE(w.reporter.messages.size(), 3);
        QCOMPARE(w.find<QLabel>("Label1")->text(), QStringLiteral("红豆薏米粥"));
        QCOMPARE(w.foodTree()->topLevelItemCount(), 0);
        QCOMPARE(w.reporter.messages.size(), 3);
    }

    void closeButtonPostsAQuitAndTheSystemCloseEndsTheProgramToo()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        // Each path must end a running event loop; the timer fails the test if it does not.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(5000);
        QTimer::singleShot(0, [&] { Windows::click(w.button("Image4")); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY2(w.main->isVisible(), "the close button ends the loop without closing the window first");
        guard.start(5000);
        QTimer::singleShot(0, [&] { w.main->close(); });
        QCOMPARE(QCoreApplication::exec(), 0);
        guard.stop();
    }

    void minimiseButtonMinimisesAndTheWindowComesBackInItsView()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        Windows::click(w.button("Image6"));
        const QPoint place = w.main->pos();
        Windows::click(w.button("Image3"));
        QVERIFY(w.main->isMinimized());
        w.main->showNormal();
        QCOMPARE(w.main->pos(), place);
        QCOMPARE(w.find<QLabel>("Label1")->text(), QStringLiteral("快走"));
        QCOMPARE(w.reporter.messages, QStringList());
    }

    void everyPictureButtonHasANameForScreenReaders()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        const auto buttons = w.main->findChildren<ImageButton*>();
        QCOMPARE(buttons.size(), 13);
        for (const ImageButton* b : buttons)
            QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
        QCOMPARE(w.find("Shape1")->accessibleName(), QStringLiteral("关于"));
    }

    void hintsShowAfterTheyRestAndOnlyWhereDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::newRow("previous") << "Image2"
                                  << "上一条";
        QTest::newRow("next") << "Image12"
                              << "下一条";
        QTest::newRow("ok") << "Image15"
                            << "确定";
        QTest::newRow("new entry") << "Image13"
                                   << "";
    }

    void hintsShowAfterTheyRestAndOnlyWhereDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, hint);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        QCOMPARE(w.button(name)->hint(), hint);
        if (hint.isEmpty())
            return;
        Windows::click(w.button("Image5"));
        Windows::click(w.button("Image8"));
        ImageButton* b = w.button(name);
        b->show();
        QTest::mouseMove(b);
        QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), hint, 2000);
    }

    // Captions keep their colour and pixel size on the skin; every other control takes its window's font.
    void textsUseTheirWindowsFontsAndCaptionColours_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<QColor>("colour"); // invalid: not a caption
        const QString form = QStringLiteral("MS Sans Serif");
        QTest::newRow("main caption") << "main"
                                      << "Label5" << form << 11 << QColor(0x80, 0x00, 0x80);
        QTest::newRow("main prompt") << "main"
                                     << "Label1"
                                     << "幼圆" << 15 << QColor(0x00, 0x80, 0x00);
        QTest::newRow("main box") << "main"
                                  << "Memo1" << form << 11 << QColor();
        QTest::newRow("food tree") << "main"
                                   << "TreeView1" << form << 11 << QColor();
        QTest::newRow("weight") << "main"
                                << "Edit1" << form << 11 << QColor();
        QTest::newRow("about caption") << "about"
                                       << "Label1" << form << 13 << QColor(0x00, 0x80, 0x00);
        QTest::newRow("plan caption") << "plan"
                                      << "Label7" << form << 13 << QColor(0x00, 0x00, 0xFF);
        // A pixel smaller than the window's font, so that the designed box shows two whole lines.
        QTest::newRow("plan box") << "plan"
                                  << "Memo7" << form << 10 << QColor();
        QTest::newRow("plan button") << "plan"
                                     << "Button1" << form << 11 << QColor();
    }

    void textsUseTheirWindowsFontsAndCaptionColours()
    {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        QFETCH(QColor, colour);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        QWidget* top = window == u"main"    ? static_cast<QWidget*>(w.main.get())
                       : window == u"about" ? static_cast<QWidget*>(w.about.get())
                                            : static_cast<QWidget*>(w.plan.get());
        // As the window shows them: the other windows take their fonts when first shown, the tree is made when its
        // view is first entered.
        top->show();
        if (name == u"TreeView1")
            w.foodTree();
        auto* widget = top->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->font().family(), family);
        QCOMPARE(widget->font().pixelSize(), pixelSize);
        if (colour.isValid()) {
            QCOMPARE(widget->palette().color(QPalette::Active, QPalette::WindowText), colour);
            QCOMPARE(widget->palette().color(QPalette::Inactive, QPalette::WindowText), colour);
            QVERIFY(!widget->autoFillBackground());
        }
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
