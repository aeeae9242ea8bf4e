#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWebEnginePage;

// Marks the words a search found in a shown page, so that the reader sees why the page came up.

// The script that wraps every whole-word occurrence of words (any case) in the text of the
// document and of its same-origin frames in <mark class="cp-search-hit">, scrolls the first into
// view and evaluates to the number of marks. Scripts, styles and form fields are left alone, and
// the words reach the script as JSON data, never as code.
QString HighlightScript(const QStringList& words);

// The script that evaluates to the visible text of the document and of its same-origin frames.
QString PageTextScript();

// Once the page has finished loading the local file pagePath, reads its text, asks matchedWords
// which of its words the query found, and marks them. Any other page that loads first ends the
// wait unmarked (the user went elsewhere). done, when given, receives the number of marks (-1
// when the page was not marked).
void HighlightWhenLoaded(QWebEnginePage* page, const QString& pagePath,
                         std::function<QStringList(const QString& pageText)> matchedWords,
                         std::function<void(int marks)> done = {});

// Whether url is the local file pagePath, whatever the case of its names (discs made on
// Windows) and whatever fragment it carries.
bool IsPageOf(const QString& url, const QString& pagePath);
