#pragma once

#include <QString>
#include <vector>

// One piece of a result's snippet: plain text, and whether it is one of the words found.
struct TSnippetRun {
    QString Text;
    bool Hit = false;
    bool operator==(const TSnippetRun&) const = default;
};

// The pieces of a snippet as the index gives it: HTML-escaped page text with the hits between
// <b> and </b>. Entities become their characters, so an escaped "&lt;b&gt;" in the page text
// stays text and never turns bold; any other tag is dropped. Neighbouring pieces of the same kind
// are joined; empty pieces are left out.
std::vector<TSnippetRun> SnippetRuns(const QString& snippet);

// The plain text of a snippet (what a screen reader or a tool tip gets).
QString SnippetText(const QString& snippet);

// The status line under the query box.
struct TSearchState {
    bool HasQuery = false;  // the query holds something to look for
    bool Updating = false;  // the index is being built or brought up to date
    int Found = 0;          // results of the last search shown
    int Total = 0;          // results of the last search in all; more than Found: the rest load later
    bool Elsewhere = false; // another program is updating the index: finding nothing means nothing
};
QString SearchStatusText(const TSearchState& state);
