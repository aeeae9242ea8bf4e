// `coursetool catalogue --json` tells what the window shows: run the tool on a folder, build
// the window on the same folder, and compare tab by tab and button by button.

#include "catalogue/CourseButton.h"
#include "catalogue/Main.h"
#include "core/Registry.h"
#include "look/PageControl.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>

namespace {

QJsonObject RunTool(const QString& folder) {
    QProcess tool;
    tool.start(QStringLiteral(CP_COURSETOOL),
               {QStringLiteral("catalogue"), folder, QStringLiteral("--json")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(tool.readAllStandardOutput(), &error);
    return error.error == QJsonParseError::NoError ? doc.object() : QJsonObject();
}

void WriteTrickyLibrary(const QString& folder) {
    const QList<QPair<QString, QByteArray>> files = {
        {"1.xml", "<CourseInfo Id=\"1\" Group=\"Кавычки &quot;и&quot; \\ косая\" Name=\"A &amp; B\" "
                  "Description=\"строка&#10;вторая&#9;и табуляция\"/>"},
        {"2.xml", "<CourseInfo Id=\"2\" Group=\"\" Name=\"Пустая группа\" Description=\"\"/>"},
        {"3.xml", "<CourseInfo Id=\"x\" Group=\"Только ошибка\" Name=\"n\" Description=\"d\"/>"},
        {"4.xml",
         "<CourseInfo Id=\"1\" Group=\"Кавычки &quot;и&quot; \\ косая\" Name=\"Повтор\" Description=\"\"/>"},
        {"5.xml", "<Other/>"},
        {"6.xml", "not xml at all"},
        {"7.xml", "<CourseInfo Id=\"-5\" Group=\"\" Name=\"Минус\" Description=\"\"/>"},
    };
    for (const auto& [name, bytes] : files) {
        QFile file(folder + u'/' + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
}

} // namespace

class TestCatalogueAgreement final : public QObject {
    Q_OBJECT
private slots:
    void toolAgreesWithWindow_data();
    void toolAgreesWithWindow();
};

void TestCatalogueAgreement::toolAgreesWithWindow_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("skipped");
    QTest::newRow("demo library") << QStringLiteral(CP_SOURCE_DIR "/content/") << 3 << 0;
    QTest::newRow("mixed encodings and bad files")
        << QStringLiteral(CP_TEST_DATA "/catalogue/mixed/") << 2 << 2;
    QTest::newRow("escapes, empty group, failures") << QStringLiteral("tricky") << 3 << 5;
    QTest::newRow("no such folder") << QStringLiteral("/no/such/folder/") << 0 << 0;
}

void TestCatalogueAgreement::toolAgreesWithWindow() {
    QFETCH(QString, folder);
    QFETCH(int, pages);
    QFETCH(int, skipped);
    QTemporaryDir dir;
    if (folder == QLatin1String("tricky")) {
        folder = dir.path() + u'/';
        WriteTrickyLibrary(folder);
    }
    const QJsonObject json = RunTool(folder);
    QVERIFY2(!json.isEmpty(), "coursetool gave no JSON");

    TIniRegistry registry(dir.filePath(QStringLiteral("registry.ini")));
    TAppContext context;
    context.ProgramFolder = folder;
    context.Registry = &registry;
    TMainForm form(context);

    const QJsonArray jsonPages = json.value("pages").toArray();
    QCOMPARE(jsonPages.size(), pages);
    QCOMPARE(form.MainPages->Count(), pages);
    QCOMPARE(json.value("activePage").toInt(-2), form.MainPages->CurrentIndex());
    for (int p = 0; p < pages; ++p) {
        const QJsonObject page = jsonPages[p].toObject();
        QCOMPARE(page.value("caption").toString(), form.MainPages->Caption(p));
        const QJsonArray courses = page.value("courses").toArray();
        const QList<TCourseButton*> buttons = form.CourseButtons(p);
        QCOMPARE(courses.size(), buttons.size());
        for (int c = 0; c < courses.size(); ++c) {
            const QJsonObject course = courses[c].toObject();
            TCourseButton* button = buttons[c];
            QCOMPARE(button->objectName(), QStringLiteral("Btn_%1").arg(course.value("id").toInt(-1)));
            QCOMPARE(button->y(), course.value("top").toInt());
            QCOMPARE(button->text().replace(QStringLiteral("&&"), QStringLiteral("&")),
                     course.value("name").toString());
            QCOMPARE(QTextDocumentFragment::fromHtml(button->toolTip()).toPlainText(),
                     course.value("description").toString().replace(u'\t', u' '));
            // Only the active page's buttons are on show.
            QCOMPARE(!button->isHidden(), p == form.MainPages->CurrentIndex());
        }
    }
    const QJsonArray jsonSkipped = json.value("skipped").toArray();
    QCOMPARE(jsonSkipped.size(), skipped);
    QCOMPARE(int(form.Catalogue().Skipped().size()), skipped);
    for (int i = 0; i < skipped; ++i) {
        QCOMPARE(jsonSkipped[i].toObject().value("file").toString(),
                 form.Catalogue().Skipped()[size_t(i)].File);
        QCOMPARE(jsonSkipped[i].toObject().value("reason").toString(),
                 form.Catalogue().Skipped()[size_t(i)].Reason);
        QVERIFY(!form.Catalogue().Skipped()[size_t(i)].Reason.isEmpty());
    }
}

QTEST_MAIN(TestCatalogueAgreement)
#include "test_catalogue_agreement.moc"
