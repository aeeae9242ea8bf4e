#pragma once

#include <QHash>
#include <QString>
#include <map>
#include <vector>

// The search of the published site, without a server: a lunr index (fields "title" and "body")
// written here in lunr's own serialised form, with the words folded and stemmed as the player's
// search does (lower case, "ё" as "е", Snowball's Russian stem). The catalogue page loads it
// with lunr and its Russian stemmer, which stem the query the same way. Beside it: the items'
// titles and addresses, and their text by course for the snippets.
class TSiteSearch final {
public:
    struct TDoc {
        QString Ref; // "<course>:<section>:<item>"
        QString Title;
        QString Url; // from the site's root
        QString Course;
        QString Section;
        int CourseId = 0;
        QString Text;
    };

    void Add(TDoc doc);
    int Count() const { return int(m_docs.size()); }
    // Writes text-<course>.js of the pages added since the last call into folder and lets their
    // text go: a library's text need not be held whole.
    bool WriteTexts(const QString& folder);
    // Writes index.js and docs.js into folder; false when one fails. Each file is a script that
    // calls __siteSearchData(name, data), so that the site's search works from file:// too.
    bool Write(const QString& folder) const;

private:
    struct TField {
        std::vector<std::pair<int, int>> Frequencies; // term id -> occurrences, by id
        int Length = 0;
    };
    int TermId(const QString& term);
    TField Field(const QString& text);

    std::vector<TDoc> m_docs;    // their text only until WriteTexts
    std::vector<TField> m_title; // by document
    std::vector<TField> m_body;
    QHash<QString, int> m_termIds;
    QHash<QString, int> m_wordTerms; // folded word -> its term's id
    std::vector<QString> m_terms;    // by id
    size_t m_textsFrom = 0;          // the first document whose text is not yet written
};
