// The catalogue window: its layout, the course buttons of each page, the hints, the launch of
// a course and the host set-up done at creation.

#include "catalogue/Banner.h"
#include "catalogue/CourseButton.h"
#include "catalogue/HostSetup.h"
#include "catalogue/Main.h"
#include "core/ComponentStaging.h"
#include "core/Registry.h"
#include "look/CourseStyle.h"
#include "look/FrameShape.h"
#include "look/GradientPanel.h"
#include "look/PageControl.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <memory>

namespace {

QByteArray Descriptor(int id, const QString& group, const QString& name, const QString& description = {}) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<CourseInfo Id=\"%1\" Group=\"%2\" Name=\"%3\" Description=\"%4\"/>\n")
        .arg(id)
        .arg(group.toHtmlEscaped(), name.toHtmlEscaped(), description.toHtmlEscaped())
        .toUtf8();
}

const QString kFlashKey =
    QStringLiteral("Software\\Microsoft\\Active Setup\\Installed Components\\") + kFlashClassId + u'\\';

// A library folder and a registry file of its own for each window under test.
struct TFixture {
    QTemporaryDir Dir;
    std::unique_ptr<TIniRegistry> Registry;
    TAppContext Context;

    TFixture() {
        Registry = std::make_unique<TIniRegistry>(Dir.filePath(QStringLiteral("registry.ini")));
        QDir(Dir.path()).mkpath(QStringLiteral("lib"));
        Context.ProgramFolder = Dir.filePath(QStringLiteral("lib/"));
        Context.Registry = Registry.get();
    }
    void Add(const QString& file, const QByteArray& bytes) {
        QFile f(Context.ProgramFolder + file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

QStringList VisibleBoxButtons(const TMainForm& form) {
    QStringList names;
    for (QPushButton* b : form.CoursesBox->widget()->findChildren<QPushButton*>())
        if (!b->isHidden())
            names << QStringLiteral("%1@%2").arg(b->objectName()).arg(b->y());
    names.sort();
    return names;
}

void ClickTab(TMainForm& form, int index) {
    QTest::mouseClick(form.MainPages, Qt::LeftButton, {}, form.MainPages->TabRect(index).center());
}

} // namespace

class TestMainForm final : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void bannerIsDrawnAtTheScreensDensity();
    void switchingTabsShowsThatGroupsButtons();
    void interleavedGroupsEndOnTheFirstPage();
    void buttonsCarryTheCourse();
    void hints_data();
    void hints();
    void emptyPageEmptiesTheBox();
    void longGroupScrollsOnlyVertically();
    void longPagesMakeTheirButtonsWhenNeeded_data();
    void longPagesMakeTheirButtonsWhenNeeded();
    void runCourse_data();
    void runCourse();
    void noCoursesStillStarts();
    void hostSetupAtCreation_data();
    void hostSetupAtCreation();
    void browserFlagsFollowTheOption();
    void registryFailuresAreSilent();
    void longNamesEndInEllipsis_data();
    void longNamesEndInEllipsis();
    void tabWalksTheCourseButtonsOnly();
    void keysStartTheFocusedCourse_data();
    void keysStartTheFocusedCourse();
    void keyboardFocusIsShown();
};

void TestMainForm::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("GradientPanel2") << "GradientPanel2" << QRect(9, 8, 695, 572);
    QTest::newRow("Image1") << "Image1" << QRect(0, 0, 695, 296);
    QTest::newRow("MainPages") << "MainPages" << QRect(1, 299, 401, 217);
    QTest::newRow("Shape1") << "Shape1" << QRect(402, 300, 292, 219);
    QTest::newRow("CoursesBox") << "CoursesBox" << QRect(406, 304, 284, 211);
    QTest::newRow("Label3") << "Label3" << QRect(1, 536, 691, 25);
}

void TestMainForm::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TFixture fixture;
    TMainForm form(fixture.Context);
    QCOMPARE(form.size(), QSize(714, 590));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.windowTitle(), QStringLiteral("Проигрыватель учебных курсов"));
    auto* widget = form.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(form.Label1->pos(), QPoint(45, 264));
    QCOMPARE(form.Label2->pos(), QPoint(436, 264));
    QVERIFY(form.Label1->font().bold());
    QCOMPARE(form.Label1->text(), QStringLiteral("Выбор учебного предмета"));
    QCOMPARE(form.Label2->text(), QStringLiteral("Выбор курса"));
    QCOMPARE(form.Shape1->PenWidth(), 4);
}

void TestMainForm::bannerIsDrawnAtTheScreensDensity() {
    TFixture fixture;
    TMainForm form(fixture.Context);
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap picture = form.Image1->Picture(ratio);
        QCOMPARE(picture.size(), QSize(695, 296) * ratio);
        QCOMPARE(picture.devicePixelRatio(), ratio);
        // Drawn, not left empty: the middle of the banner is opaque and not all one colour.
        const QImage image = picture.toImage();
        const QPoint middle(image.width() / 2, image.height() / 2);
        QCOMPARE(qAlpha(image.pixel(middle)), 255);
        QVERIFY(image.pixel(middle) != image.pixel(5, 5) || image.pixel(middle) != image.pixel(middle / 2));
        // Kept while size and density stay.
        QCOMPARE(form.Image1->Picture(ratio).cacheKey(), picture.cacheKey());
    }
}

void TestMainForm::switchingTabsShowsThatGroupsButtons() {
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(1, "A", "a1"));
    fixture.Add("2.xml", Descriptor(2, "A", "a2"));
    fixture.Add("3.xml", Descriptor(3, "A", "a3"));
    fixture.Add("4.xml", Descriptor(4, "B", "b1"));
    fixture.Add("5.xml", Descriptor(5, "B", "b2"));
    fixture.Add("6.xml", Descriptor(6, "B", "b3"));
    TMainForm form(fixture.Context);
    form.show();
    QCOMPARE(form.MainPages->CurrentIndex(), 0);
    QCOMPARE(VisibleBoxButtons(form), QStringList({"Btn_1@10", "Btn_2@40", "Btn_3@70"}));
    ClickTab(form, 1);
    QCOMPARE(form.MainPages->CurrentIndex(), 1);
    QCOMPARE(form.Catalogue().ActivePage(), 1);
    QCOMPARE(VisibleBoxButtons(form), QStringList({"Btn_4@10", "Btn_5@40", "Btn_6@70"}));
    ClickTab(form, 0);
    QCOMPARE(VisibleBoxButtons(form), QStringList({"Btn_1@10", "Btn_2@40", "Btn_3@70"}));
    // Each course leaves its never-shown row on its page, and no widget: nothing on the pages
    // can show up or take a click.
    QCOMPARE(form.MainPages->Page(0)->findChildren<TCourseRow*>().size(), 3);
    QCOMPARE(form.MainPages->Page(1)->findChildren<TCourseRow*>().size(), 3);
    QVERIFY(form.MainPages->Page(0)->findChildren<QPushButton*>().isEmpty());
}

void TestMainForm::interleavedGroupsEndOnTheFirstPage() {
    // Descriptors of three groups in turn: every page gets its own rows, and after the scan the
    // tabs, the model and the box all stand on the first group.
    TFixture fixture;
    const char* groups[] = {"A", "B", "A", "C", "B", "A"};
    for (int i = 0; i < 6; ++i)
        fixture.Add(QStringLiteral("%1.xml").arg(i), Descriptor(i, QString::fromLatin1(groups[i]), "n"));
    TMainForm form(fixture.Context);
    QCOMPARE(form.MainPages->Count(), 3);
    QCOMPARE(form.MainPages->CurrentIndex(), 0);
    QCOMPARE(form.Catalogue().ActivePage(), 0);
    QVERIFY(form.MainPages->Page(0)->isVisibleTo(form.MainPages));
    QVERIFY(!form.MainPages->Page(1)->isVisibleTo(form.MainPages));
    QCOMPARE(VisibleBoxButtons(form), QStringList({"Btn_0@10", "Btn_2@40", "Btn_5@70"}));
    QCOMPARE(form.CoursesBox->widget()->minimumHeight(), 110);
    QStringList rows;
    for (int p = 0; p < 3; ++p)
        for (const TCourseRow* row : form.MainPages->Page(p)->findChildren<TCourseRow*>())
            rows << QStringLiteral("%1:%2@%3").arg(p).arg(row->objectName()).arg(row->Geometry.top());
    QCOMPARE(rows, QStringList({"0:BtnInv_0@10", "0:BtnInv_2@40", "0:BtnInv_5@70", "1:BtnInv_1@10",
                                "1:BtnInv_4@40", "2:BtnInv_3@10"}));
    // Outside the scan the tabs follow the active page at once, and a course added to the page
    // on show appears in the box.
    form.SetActivePage(2);
    QCOMPARE(form.MainPages->CurrentIndex(), 2);
    form.MainPagesChange();
    form.AddCourseButtons(9, QStringLiteral("Новый"), QString());
    QCOMPARE(VisibleBoxButtons(form), QStringList({"Btn_3@10", "Btn_9@40"}));
}

void TestMainForm::buttonsCarryTheCourse() {
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(12, "A", "Физика & химия", "d"));
    fixture.Add("2.xml", Descriptor(12, "A", "Повтор"));
    fixture.Add("3.xml", Descriptor(-1, "A", "Минус"));
    fixture.Add("4.xml", Descriptor(30, "A", "Второй"));
    TMainForm form(fixture.Context);
    QWidget* page = form.MainPages->Page(0);
    const QList<TCourseRow*> rows = page->findChildren<TCourseRow*>();
    QCOMPARE(rows.size(), 2);
    auto* hidden = page->findChild<TCourseRow*>("BtnInv_30");
    QVERIFY(hidden);
    QCOMPARE(hidden->Geometry, QRect(10, 40, 300, 25));
    QCOMPARE(hidden->Tag, 30);
    QCOMPARE(hidden->CourseName, QStringLiteral("Второй"));
    auto* button = form.CoursesBox->widget()->findChild<QPushButton*>("Btn_30");
    QVERIFY(button);
    QCOMPARE(button->geometry(), QRect(10, 40, 240, 30));
    QCOMPARE(qobject_cast<TCourseButton*>(button)->Tag, 30);
    auto* first = form.CoursesBox->widget()->findChild<QPushButton*>("Btn_12");
    QVERIFY(first);
    // The caption shows the '&' rather than turning it into a shortcut mark.
    QCOMPARE(first->text(), QStringLiteral("Физика && химия"));
    QCOMPARE(qobject_cast<TCourseButton*>(first)->CourseName, QStringLiteral("Физика & химия"));
    QCOMPARE(form.CourseButtons(0).size(), 2);
}

void TestMainForm::hints_data() {
    QTest::addColumn<QString>("description");
    QTest::newRow("plain") << QStringLiteral("Выражения и уравнения.");
    QTest::newRow("markup-like text shown as written") << QStringLiteral("x < y & <b>не жирный</b>");
    QTest::newRow("empty gives no hint") << QString();
}

void TestMainForm::hints() {
    QFETCH(QString, description);
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(1, "A", "n", description));
    TMainForm form(fixture.Context);
    auto* button = form.CoursesBox->widget()->findChild<QPushButton*>("Btn_1");
    QVERIFY(button);
    if (description.isEmpty())
        QVERIFY(button->toolTip().isEmpty());
    else
        QCOMPARE(QTextDocumentFragment::fromHtml(button->toolTip()).toPlainText(), description);
}

void TestMainForm::emptyPageEmptiesTheBox() {
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(1, "A", "a"));
    fixture.Add("2.xml", QByteArray("<CourseInfo Id=\"bad\" Group=\"B\" Name=\"b\" Description=\"\"/>"));
    TMainForm form(fixture.Context);
    form.show();
    QCOMPARE(form.MainPages->Count(), 2);
    ClickTab(form, 1);
    QVERIFY(VisibleBoxButtons(form).isEmpty());
}

void TestMainForm::longGroupScrollsOnlyVertically() {
    TFixture fixture;
    for (int i = 0; i < 20; ++i)
        fixture.Add(QStringLiteral("%1.xml").arg(i, 2, 10, QLatin1Char('0')),
                    Descriptor(i, "A", QStringLiteral("Курс с очень длинным названием номер %1").arg(i)));
    TMainForm form(fixture.Context);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(form.CoursesBox->verticalScrollBar()->maximum() > 0);
    QCOMPARE(form.CoursesBox->horizontalScrollBar()->maximum(), 0);
    QVERIFY(!form.CoursesBox->horizontalScrollBar()->isVisible());
    QCOMPARE(VisibleBoxButtons(form).size(), 20);
}

void TestMainForm::longPagesMakeTheirButtonsWhenNeeded_data() {
    QTest::addColumn<int>("courses");
    QTest::addColumn<bool>("anotherLibrary"); // chosen before the idle moments
    QTest::newRow("a few") << 3 << false;
    QTest::newRow("two hundred") << 200 << false;
    QTest::newRow("two hundred, then another library") << 200 << true;
}

void TestMainForm::longPagesMakeTheirButtonsWhenNeeded() {
    QFETCH(int, courses);
    QFETCH(bool, anotherLibrary);
    TFixture fixture;
    for (int i = 0; i < courses; ++i)
        fixture.Add(QStringLiteral("%1.xml").arg(i, 3, 10, QLatin1Char('0')),
                    Descriptor(i, "A", QStringLiteral("Курс %1").arg(i)));
    fixture.Add("b.xml", Descriptor(900, "B", "Другой"));
    TMainForm form(fixture.Context);
    // The box scrolls over every row at once, made or not.
    QCOMPARE(form.CoursesBox->widget()->minimumHeight(), courses * 30 + 20);
    form.show();
    QCoreApplication::sendPostedEvents(); // layouts, but no idle moment
    QScrollBar* bar = form.CoursesBox->verticalScrollBar();
    bar->setValue(bar->maximum());
    const QString last = QStringLiteral("Btn_%1").arg(courses - 1);
    auto* lastButton = form.CoursesBox->widget()->findChild<TCourseButton*>(last);
    QVERIFY2(lastButton && !lastButton->isHidden(), qPrintable(last + " not made when scrolled to"));
    if (anotherLibrary) {
        QTemporaryDir other;
        QFile file(other.filePath("1.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Descriptor(7, "C", "Один"));
        file.close();
        form.SetProgramFolder(other.path() + u'/');
        QTRY_VERIFY(!form.ButtonsPending());
        QCOMPARE(VisibleBoxButtons(form), QStringList({"Btn_7@10"}));
        QCOMPARE(form.CoursesBox->widget()->findChildren<TCourseButton*>().size(), 1);
        return;
    }
    QTRY_VERIFY(!form.ButtonsPending());
    // Every row made once, in row order, and Tab walks them in that order.
    const QList<TCourseButton*> made = form.CoursesBox->widget()->findChildren<TCourseButton*>();
    QCOMPARE(made.size(), courses);
    QList<TCourseButton*> chain;
    for (QWidget* w = made.first(); chain.size() < courses; w = w->nextInFocusChain())
        if (auto* button = qobject_cast<TCourseButton*>(w))
            chain << button;
    for (int row = 0; row < courses; ++row) {
        QCOMPARE(chain[row]->objectName(), QStringLiteral("Btn_%1").arg(row));
        QCOMPARE(chain[row]->y(), row * 30 + 10);
        QVERIFY(!chain[row]->isHidden());
    }
    // The other subject's button is made when its page is shown.
    QVERIFY(!form.CoursesBox->widget()->findChild<TCourseButton*>("Btn_900"));
    ClickTab(form, 1);
    QCOMPARE(VisibleBoxButtons(form), QStringList({"Btn_900@10"}));
    QCOMPARE(form.CoursesBox->widget()->minimumHeight(), 50);
}

void TestMainForm::runCourse_data() {
    QTest::addColumn<bool>("opens");
    QTest::newRow("folder missing: catalogue stays") << false;
    QTest::newRow("course opens: catalogue hides") << true;
}

void TestMainForm::runCourse() {
    QFETCH(bool, opens);
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(101, "A", "Алгебра & начала"));
    TMainForm form(fixture.Context);
    QString title;
    QList<int> asked;
    int shown = 0;
    form.SetCourseViewer({[&](const QString& t) { title = t; },
                          [&](int id) {
                              asked << id;
                              return opens;
                          },
                          [&] { ++shown; }});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* button = form.CoursesBox->widget()->findChild<QPushButton*>("Btn_101");
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Алгебра & начала"));
    QCOMPARE(asked, QList<int>{101});
    QCOMPARE(form.isVisible(), !opens);
    QCOMPARE(shown, opens ? 1 : 0);
}

void TestMainForm::noCoursesStillStarts() {
    TFixture fixture;
    fixture.Context.ProgramFolder = fixture.Dir.filePath(QStringLiteral("no-such-folder/"));
    TMainForm form(fixture.Context);
    QCOMPARE(form.MainPages->Count(), 0);
    QCOMPARE(form.MainPages->CurrentIndex(), -1);
    QVERIFY(VisibleBoxButtons(form).isEmpty());
}

void TestMainForm::hostSetupAtCreation_data() {
    QTest::addColumn<QString>("presentKey");
    QTest::addColumn<bool>("emulatorStaged");
    QTest::addColumn<bool>("flash");
    QTest::newRow("no component key") << QString() << false << false;
    QTest::newRow("flash key present") << kFlashKey << false << true;
    QTest::newRow("flash key in another case of letters") << kFlashKey.toUpper() << false << true;
    QTest::newRow("another component only")
        << QStringLiteral("Software\\Microsoft\\Active Setup\\Installed "
                          "Components\\{00000000-0000-0000-0000-000000000000}\\")
        << false << false;
    QTest::newRow("Flash emulator staged beside the player") << QString() << true << true;
}

void TestMainForm::hostSetupAtCreation() {
    QFETCH(QString, presentKey);
    QFETCH(bool, emulatorStaged);
    QFETCH(bool, flash);
    TFixture fixture;
    QTemporaryDir components;
    if (emulatorStaged) {
        QVERIFY(QDir(components.path()).mkpath(QStringLiteral("ruffle")));
        QFile emulator(components.filePath(QStringLiteral("ruffle/ruffle.js")));
        QVERIFY(emulator.open(QIODevice::WriteOnly));
        emulator.close();
    }
    SetStagedComponentsFolder(emulatorStaged ? components.path()
                                             : fixture.Dir.filePath(QStringLiteral("none")));
    const auto restore = qScopeGuard([] { SetStagedComponentsFolder(QString()); });
    if (!presentKey.isEmpty())
        QVERIFY(fixture.Registry->CreateKey(TRootKey::LocalMachine, presentKey));
    // A leftover 0 from a run that showed presentations in the main window.
    QVERIFY(fixture.Registry->WriteInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags", 0,
                                           true));
    TMainForm form(fixture.Context);
    QCOMPARE(form.FlashInstalled, flash);
    QCOMPARE(form.MathPlayerInstalled, false);
    QCOMPARE(form.SVGViewerInstalled, false);
    QCOMPARE(fixture.Registry->ReadInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags"),
             std::optional<int>(9));
}

void TestMainForm::browserFlagsFollowTheOption() {
    TFixture fixture;
    TMainForm form(fixture.Context);
    // The key did not exist: creation made it.
    QVERIFY(fixture.Registry->KeyExists(TRootKey::ClassesRoot, "\\PowerPoint.Show.8"));
    const auto read = [&] {
        return fixture.Registry->ReadInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags");
    };
    QCOMPARE(read(), std::optional<int>(9));
    form.SetPPTBrowserFlags(true);
    QCOMPARE(read(), std::optional<int>(0));
    form.SetPPTBrowserFlags(false);
    QCOMPARE(read(), std::optional<int>(9));
    form.SetPPTBrowserFlags(true);
    // The next start writes 9 again.
    TMainForm next(fixture.Context);
    QCOMPARE(read(), std::optional<int>(9));
}

void TestMainForm::registryFailuresAreSilent() {
    // A registry that cannot be written (its file would go under a plain file) and no
    // registry at all: the window is still built and reports nothing.
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(1, "A", "a"));
    QFile blocker(fixture.Dir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TIniRegistry unwritable(fixture.Dir.filePath("blocker/registry.ini"));
    fixture.Context.Registry = &unwritable;
    TMainForm form(fixture.Context);
    QCOMPARE(form.FlashInstalled, false);
    form.SetPPTBrowserFlags(true);
    QVERIFY(!unwritable.KeyExists(TRootKey::ClassesRoot, "\\PowerPoint.Show.8"));
    QCOMPARE(form.MainPages->Count(), 1);

    fixture.Context.Registry = nullptr;
    TMainForm bare(fixture.Context);
    QCOMPARE(bare.FlashInstalled, false);
    bare.SetPPTBrowserFlags(false);
}

void TestMainForm::longNamesEndInEllipsis_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("elided");
    QTest::addColumn<QString>("hint"); // as plain text
    const QString longName =
        QStringLiteral("Всеобщая история с древнейших времён до наших дней: хрестоматия для 10 класса");
    QTest::newRow("short name: caption whole, hint the description") << "Алгебра"
                                                                     << "Уравнения." << false << "Уравнения.";
    QTest::newRow("short name without description: no hint") << "Алгебра"
                                                             << "" << false << "";
    QTest::newRow("long name: hint leads with the name")
        << longName << "Учебник и задачи." << true << longName + "\nУчебник и задачи.";
    QTest::newRow("long name without description: the name is the hint")
        << longName << "" << true << longName;
    QTest::newRow("long name with '&' and '<'")
        << "Физика & химия <основы> для тех, кто любит длинные названия курсов"
        << "d" << true << "Физика & химия <основы> для тех, кто любит длинные названия курсов\nd";
    QTest::newRow("one long word") << QString(60, QChar(u'Ж')) << "" << true << QString(60, QChar(u'Ж'));
}

void TestMainForm::longNamesEndInEllipsis() {
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(bool, elided);
    QFETCH(QString, hint);
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(1, "A", name, description));
    TMainForm form(fixture.Context);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* button = qobject_cast<TCourseButton*>(form.CoursesBox->widget()->findChild<QPushButton*>("Btn_1"));
    QVERIFY(button);
    QCOMPARE(button->Elided(), elided);
    QCOMPARE(button->CourseName, name);
    const QString caption = button->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (elided) {
        // The start of the name stays, the end gives way to "…", and what is left fits.
        QVERIFY2(caption.endsWith(QChar(0x2026)), qPrintable(caption));
        QVERIFY(name.startsWith(caption.chopped(1)));
        QVERIFY(caption.size() > 5);
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        QVERIFY2(button->fontMetrics().horizontalAdvance(caption) <= contents.width(),
                 qPrintable(QStringLiteral("%1 > %2")
                                .arg(button->fontMetrics().horizontalAdvance(caption))
                                .arg(contents.width())));
    } else {
        QCOMPARE(caption, name);
    }
    if (hint.isEmpty())
        QVERIFY(button->toolTip().isEmpty());
    else
        QCOMPARE(QTextDocumentFragment::fromHtml(button->toolTip()).toPlainText(), hint);
    // The launch hands over the whole name, not the caption.
    QString title;
    form.SetCourseViewer({[&](const QString& t) { title = t; }, [](int) { return false; }, [] {}});
    button->click();
    QCOMPARE(title, name);
}

void TestMainForm::tabWalksTheCourseButtonsOnly() {
    TFixture fixture;
    for (int i = 1; i <= 12; ++i)
        fixture.Add(QStringLiteral("%1.xml").arg(i, 2, 10, QLatin1Char('0')),
                    Descriptor(i, "A", QStringLiteral("Курс %1").arg(i)));
    TMainForm form(fixture.Context);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const QList<TCourseButton*> buttons = form.CourseButtons(0);
    QCOMPARE(buttons.size(), 12);
    // Round the whole chain once: every course button in turn, the box itself never.
    QList<QWidget*> visited;
    for (int i = 0; i < 40 && visited.size() < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != form.CoursesBox);
        QVERIFY(focus != form.CoursesBox->viewport());
        if (visited.contains(focus))
            break;
        visited << focus;
        // The box scrolls to the button that takes the focus.
        if (auto* button = qobject_cast<TCourseButton*>(focus)) {
            const QRect shown(button->mapTo(form.CoursesBox->viewport(), QPoint(0, 0)), button->size());
            QVERIFY2(form.CoursesBox->viewport()->rect().contains(shown),
                     qPrintable(QStringLiteral("%1 not in view").arg(button->objectName())));
        }
    }
    QList<TCourseButton*> order;
    for (QWidget* w : visited)
        if (auto* button = qobject_cast<TCourseButton*>(w))
            order << button;
    QCOMPARE(order, buttons);
}

void TestMainForm::keysStartTheFocusedCourse_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("starts");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << true;
    QTest::newRow("Ctrl+Return is not a press") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
    QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << false;
}

void TestMainForm::keysStartTheFocusedCourse() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, starts);
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(11, "A", "Первый"));
    fixture.Add("2.xml", Descriptor(22, "A", "Второй"));
    TMainForm form(fixture.Context);
    QList<int> asked;
    form.SetCourseViewer({[](const QString&) {},
                          [&](int id) {
                              asked << id;
                              return false;
                          },
                          [] {}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    TCourseButton* second = form.CourseButtons(0).at(1);
    second->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(second->hasFocus());
    QTest::keyClick(second, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (starts) {
        QTRY_COMPARE(asked, QList<int>{22});
    } else {
        // A press would show the button down at once, its click following a moment later.
        QVERIFY(!second->isDown());
        QVERIFY(asked.isEmpty());
    }
}

void TestMainForm::keyboardFocusIsShown() {
    TFixture fixture;
    fixture.Add("1.xml", Descriptor(1, "A", "Первый"));
    fixture.Add("2.xml", Descriptor(2, "A", "Второй"));
    TMainForm form(fixture.Context);
    TCourseStyle style;
    TCourseButton* button = form.CourseButtons(0).at(0);
    button->setStyle(&style);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.CourseButtons(0).at(1)->setFocus(Qt::OtherFocusReason);
    const QImage unfocused = button->grab().toImage();
    // Focus from a click: the button looks as before.
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(button->hasFocus());
    QVERIFY(!form.testAttribute(Qt::WA_KeyboardFocusChange));
    QTest::mouseMove(&form, QPoint(5, 5)); // no glow from the pointer
    QTRY_COMPARE(button->grab().toImage(), unfocused);
    // Focus from Tab: the button is marked.
    form.CourseButtons(0).at(1)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(form.CourseButtons(0).at(1), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(button->hasFocus());
    QVERIFY(form.testAttribute(Qt::WA_KeyboardFocusChange));
    const QImage focused = button->grab().toImage();
    int changed = 0;
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x)
            changed += focused.pixel(x, y) != unfocused.pixel(x, y);
    // A ring round the caption, not a stray pixel.
    QVERIFY2(changed > 2 * (button->width() + button->height()),
             qPrintable(QStringLiteral("%1 pixels changed").arg(changed)));
}

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
