#include "publish/SitePages.h"

#include "core/TextEscape.h"
#include "markup/MarkupHtml.h"

#include <QUrl>

namespace {

QString Head(const QString& title, const QString& root) {
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">"
                          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                          "<title>%1</title><link rel=\"stylesheet\" href=\"%2_site/site.css\"></head>\n")
        .arg(HtmlEscape(title), root);
}

QString UrlPath(const QString& path) {
    return QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
}

// The nested lists of a section's tree, without recursion: outlines can be very deep.
QString TreeHtml(const TSiteSection& section, const std::function<QString(const QString&)>& shownPage) {
    const TMarkupHtmlArgs args;
    QString out = QStringLiteral("<ul class=\"tree\" data-s=\"%1\" id=\"tree-%1\">").arg(section.Id);
    struct TLevel {
        const std::vector<TSiteItem>* Items;
        size_t Next;
    };
    std::vector<TLevel> stack{{&section.Items, 0}};
    while (!stack.empty()) {
        TLevel& level = stack.back();
        if (level.Next == level.Items->size()) {
            stack.pop_back();
            out += stack.empty() ? QStringLiteral("</ul>") : QStringLiteral("</ul></li>");
            continue;
        }
        const TSiteItem& item = (*level.Items)[level.Next++];
        const QString page = item.Page.isEmpty() ? QString() : UrlPath(shownPage(item.Page));
        out +=
            QStringLiteral("<li><span class=\"item\" tabindex=\"0\" data-i=\"%1\"%2 data-c=\"%3\">%4</span>")
                .arg(item.Id)
                .arg(page.isEmpty() ? QString() : QStringLiteral(" data-page=\"%1\"").arg(HtmlEscape(page)),
                     HtmlEscape(item.Caption), MarkupToHtml(item.Caption, args));
        if (item.Children.empty())
            out += QStringLiteral("</li>");
        else {
            out += QStringLiteral("<ul>");
            stack.push_back({&item.Children, 0}); // may move `level`; not used after this
        }
    }
    return out;
}

} // namespace

QString CataloguePage(const QString& title, const std::vector<TSiteSubject>& subjects, bool search) {
    QString out = Head(title, QString());
    out += QStringLiteral("<body class=\"catalogue\"><header><h1>%1</h1>").arg(HtmlEscape(title));
    if (search)
        out += QStringLiteral("<form id=\"search\" action=\"index.html\"><input name=\"q\" type=\"search\" "
                              "placeholder=\"Поиск по всем курсам\" aria-label=\"Поиск по всем курсам\">"
                              "<button>Найти</button></form>");
    out += QStringLiteral("<a href=\"_site/favor.html\">Подборка</a></header><main>\n");
    if (search)
        out += QStringLiteral(
            "<section id=\"results\" hidden><p id=\"found\"></p><ol id=\"hits\"></ol></section>\n");
    for (const TSiteSubject& subject : subjects) {
        out += QStringLiteral("<section class=\"subject\"><h2>%1</h2><ul class=\"courses\">\n")
                   .arg(HtmlEscape(subject.Caption));
        for (const TSiteCourse* course : subject.Courses)
            out += QStringLiteral("<li class=\"course\"><a href=\"%1/index.html\">%2</a><p>%3</p></li>\n")
                       .arg(course->Id)
                       .arg(HtmlEscape(course->Name), HtmlEscape(course->Description));
        out += QStringLiteral("</ul></section>\n");
    }
    if (subjects.empty())
        out += QStringLiteral("<p class=\"empty\">В библиотеке нет курсов.</p>\n");
    out += QStringLiteral("</main>");
    if (search)
        out += QStringLiteral("<script src=\"_search/lunr.min.js\"></script>"
                              "<script src=\"_search/lunr.stemmer.support.min.js\"></script>"
                              "<script src=\"_search/lunr.ru.min.js\"></script>"
                              "<script src=\"_site/search.js\"></script>");
    out += QStringLiteral("</body></html>\n");
    return out;
}

QString CoursePage(const TSiteCourse& course, const QString& siteTitle,
                   const std::function<QString(const QString& page)>& shownPage) {
    QString out = Head(course.Name + QStringLiteral(" - ") + siteTitle, QStringLiteral("../"));
    out += QStringLiteral("<body class=\"course\" data-course=\"%1\"><header><a class=\"home\" "
                          "href=\"../index.html\">%2</a> <a href=\"../_site/favor.html\">Подборка</a>"
                          "<h1>%3</h1><nav id=\"sections\">")
               .arg(course.Id)
               .arg(HtmlEscape(siteTitle), HtmlEscape(course.Name));
    for (const TSiteSection& section : course.Sections)
        out += QStringLiteral("<a href=\"#s=%1\" data-s=\"%1\">%2</a>")
                   .arg(section.Id)
                   .arg(HtmlEscape(section.Caption));
    out +=
        QStringLiteral("</nav><button id=\"favor-add\" type=\"button\">Добавить в подборку</button>"
                       "<span id=\"favor-note\" role=\"status\"></span></header>\n<main><div id=\"trees\">");
    for (const TSiteSection& section : course.Sections)
        out += TreeHtml(section, shownPage) + u'\n';
    if (!course.Problem.isEmpty())
        out += QStringLiteral("<p class=\"problem\">%1</p>").arg(HtmlEscape(course.Problem));
    // The hint and test windows of the player are panels here; pages reach them by the same
    // target names, which name these frames.
    out += QStringLiteral(
        "</div><iframe id=\"page\" name=\"page\" title=\"Страница материала\"></iframe></main>\n"
        "<dialog id=\"panel-tooltip\" class=\"panel\"><form method=\"dialog\"><button>Закрыть</button>"
        "</form><iframe name=\"tooltip\" title=\"Подсказка\"></iframe></dialog>\n"
        "<dialog id=\"panel-test\" class=\"panel\"><form method=\"dialog\"><button>Закрыть</button>"
        "</form><iframe name=\"test\" title=\"Тест\"></iframe></dialog>\n"
        "<script src=\"../_site/course.js\"></script><script src=\"../_site/favor.js\"></script>"
        "</body></html>\n");
    return out;
}

QString FavorPage(const QString& siteTitle, const QString& showFavorPage) {
    QString out = Head(QStringLiteral("Подборка - ") + siteTitle, QStringLiteral("../"));
    out +=
        QStringLiteral("<body class=\"favor\"><header><a class=\"home\" href=\"../index.html\">%1</a>"
                       "<h1>Подборка</h1>"
                       "<label class=\"button\">Загрузить подборку<input id=\"favor-load\" type=\"file\" "
                       "accept=\".sff\" hidden></label> "
                       "<a id=\"favor-save\" class=\"button\" href=\"#\" download=\"Подборка.sff\">Сохранить "
                       "подборку</a> "
                       "<button id=\"favor-clear\" type=\"button\">Очистить подборку</button> ")
            .arg(HtmlEscape(siteTitle));
    if (!showFavorPage.isEmpty())
        out += QStringLiteral(
                   "<a id=\"favor-show\" class=\"button\" data-page=\"../%1\" href=\"../%1\">Показать "
                   "подборку</a>")
                   .arg(HtmlEscape(UrlPath(showFavorPage)));
    out += QStringLiteral("<p id=\"favor-note\" role=\"status\"></p></header><main>"
                          "<p id=\"favor-empty\">Подборка пуста: добавьте в неё материалы курсов кнопкой "
                          "«Добавить в подборку».</p><ol id=\"favor-list\"></ol></main>"
                          "<script src=\"favor.js\"></script></body></html>\n");
    return out;
}
