#include "publish/SiteSearch.h"

#include "core/TextEscape.h"
#include "search/SearchWords.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>

namespace {

// lunr's BM25 parameters.
constexpr double K1 = 1.2;
constexpr double B = 0.75;
// A page's text kept for its snippet; the words a snippet shows are near the start anyway.
constexpr qsizetype SnippetTextLimit = 4000;
// The words whose terms are kept at most; a library has far fewer different words.
constexpr qsizetype WordMemoryLimit = 2000000;

// lunr rounds scores to three places before it keeps them.
QString Score(double score) {
    return QString::number(std::round(score * 1000) / 1000, 'g', 10);
}

// A file written piece by piece: the index of a large library is far larger than one should hold.
class TChunkedFile final {
public:
    explicit TChunkedFile(const QString& path) : m_file(path) { m_ok = m_file.open(QIODevice::WriteOnly); }
    void operator<<(const QString& text) {
        m_buffer += text.toUtf8();
        if (m_buffer.size() > (1 << 20))
            Flush();
    }
    bool Finish() {
        Flush();
        return m_ok && m_file.flush();
    }

private:
    void Flush() {
        m_ok = m_ok && m_file.write(m_buffer) == m_buffer.size();
        m_buffer.clear();
    }
    QFile m_file;
    QByteArray m_buffer;
    bool m_ok = false;
};

bool WriteUtf8(const QString& path, const QString& text) {
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The data as a script handing it to the search page: loaded by a script element, it reaches the
// page from file:// too, where fetch() and XMLHttpRequest may not read files.
QString Script(const QString& name, const QString& json) {
    return QStringLiteral("__siteSearchData(\"%1\",%2);\n").arg(name, json);
}

} // namespace

int TSiteSearch::TermId(const QString& term) {
    const auto it = m_termIds.constFind(term);
    if (it != m_termIds.constEnd())
        return *it;
    m_terms.push_back(term);
    return m_termIds[term] = int(m_terms.size() - 1);
}

// Words are folded (lower case, "ё" as "е") and stemmed by Snowball's Russian stemmer, as the
// player's search does; a word's term is kept, since stemming every occurrence of the library's
// words again cost more than the rest of the index.
TSiteSearch::TField TSiteSearch::Field(const QString& text) {
    TField f;
    QHash<int, int> counts;
    const QString folded = FoldSearchText(text);
    qsizetype i = 0;
    const qsizetype n = folded.size();
    while (i < n) {
        while (i < n && !IsSearchWordChar(folded[i]))
            ++i;
        const qsizetype start = i;
        while (i < n && IsSearchWordChar(folded[i]))
            ++i;
        if (i == start)
            continue;
        const QString word = folded.mid(start, i - start);
        auto known = m_wordTerms.constFind(word);
        if (known == m_wordTerms.constEnd()) {
            const int term = TermId(QString::fromStdString(RussianStem(word.toStdString())));
            if (m_wordTerms.size() >= WordMemoryLimit)
                m_wordTerms.clear();
            known = m_wordTerms.insert(word, term);
        }
        ++counts[*known];
        ++f.Length;
    }
    f.Frequencies.assign(counts.keyValueBegin(), counts.keyValueEnd());
    std::sort(f.Frequencies.begin(), f.Frequencies.end());
    return f;
}

void TSiteSearch::Add(TDoc doc) {
    m_title.push_back(Field(doc.Title));
    m_body.push_back(Field(doc.Text));
    doc.Text.truncate(SnippetTextLimit);
    m_docs.push_back(std::move(doc));
}

bool TSiteSearch::WriteTexts(const QString& folder) {
    QDir().mkpath(folder);
    std::map<int, QString> texts;
    for (size_t d = m_textsFrom; d < m_docs.size(); ++d) {
        TDoc& doc = m_docs[d];
        QString& text = texts[doc.CourseId];
        text += (text.isEmpty() ? QStringLiteral("{") : QStringLiteral(",")) + JsonString(doc.Ref) + u':' +
                JsonString(doc.Text);
        doc.Text = QString();
    }
    m_textsFrom = m_docs.size();
    bool ok = true;
    for (const auto& [course, text] : texts) {
        // A course's items come together, so a course is written once.
        ok = ok && WriteUtf8(folder + QStringLiteral("/text-%1.js").arg(course),
                             Script(QStringLiteral("text-%1").arg(course), text + u'}'));
    }
    return ok;
}

bool TSiteSearch::Write(const QString& folder) const {
    QDir().mkpath(folder);
    const size_t count = m_docs.size();
    // Terms are numbered in the order JavaScript sorts strings (UTF-16 code units), which lunr's
    // token set needs for its list; the numbers only have to be unique.
    std::vector<int> order(m_terms.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(),
              [this](int a, int b) { return m_terms[size_t(a)] < m_terms[size_t(b)]; });
    std::vector<int> having(m_terms.size(), 0); // documents with the term, per field (lunr's count)
    for (const auto* fields : {&m_title, &m_body})
        for (const TField& f : *fields)
            for (const auto& [term, tf] : f.Frequencies)
                ++having[size_t(term)];
    double average[2] = {0, 0};
    for (size_t d = 0; d < count; ++d) {
        average[0] += m_title[d].Length;
        average[1] += m_body[d].Length;
    }
    for (double& a : average)
        a = count > 0 && a > 0 ? a / double(count) : 1.0;

    const double documents = double(count);
    const auto idf = [documents](int n) { return std::log(1 + std::abs((documents - n + 0.5) / (n + 0.5))); };
    TChunkedFile index(folder + QStringLiteral("/index.js"));
    index << QStringLiteral("__siteSearchData(\"index\",{\"version\":\"2.3.9\",\"fields\":[\"title\","
                            "\"body\"],\"fieldVectors\":[");
    std::vector<std::pair<std::vector<int>, std::vector<int>>> postings(m_terms.size()); // per field
    const char* names[] = {"title", "body"};
    for (size_t d = 0; d < count; ++d) {
        for (int k = 0; k < 2; ++k) {
            const TField& f = k == 0 ? m_title[d] : m_body[d];
            QString vector = QStringLiteral("%1[%2,[").arg(
                d + size_t(k) > 0 ? QStringLiteral(",") : QString(),
                JsonString(QString::fromLatin1(names[k]) + u'/' + m_docs[d].Ref));
            // By term number, as lunr's vectors are kept.
            bool first = true;
            for (const auto& [term, tf] : f.Frequencies) {
                const double score = idf(having[size_t(term)]) * ((K1 + 1) * tf) /
                                     (K1 * (1 - B + B * (f.Length / average[k])) + tf);
                vector +=
                    (first ? QString() : QStringLiteral(",")) + QString::number(term) + u',' + Score(score);
                first = false;
                (k == 0 ? postings[size_t(term)].first : postings[size_t(term)].second).push_back(int(d));
            }
            index << vector + QStringLiteral("]]");
        }
    }
    index << QStringLiteral("],\"invertedIndex\":[");
    const auto refs = [this](const std::vector<int>& list) {
        QString out;
        for (const int d : list)
            out += (out.isEmpty() ? QString() : QStringLiteral(",")) + JsonString(m_docs[size_t(d)].Ref) +
                   QStringLiteral(":{}");
        return out;
    };
    bool firstTerm = true;
    for (const int term : order) {
        index << QStringLiteral("%1[%2,{\"_index\":%3,\"title\":{%4},\"body\":{%5}}]")
                     .arg(firstTerm ? QString() : QStringLiteral(","), JsonString(m_terms[size_t(term)]))
                     .arg(term)
                     .arg(refs(postings[size_t(term)].first), refs(postings[size_t(term)].second));
        firstTerm = false;
    }
    index << QStringLiteral("],\"pipeline\":[\"fold-yo\",\"stemmer-ru\"]});\n");
    QString docs = QStringLiteral("{");
    for (const TDoc& doc : m_docs) {
        if (docs.size() > 1)
            docs += QLatin1Char(',');
        docs += QStringLiteral("%1:[%2,%3,%4,%5,%6]")
                    .arg(JsonString(doc.Ref), JsonString(doc.Title), JsonString(doc.Url),
                         JsonString(doc.Course), JsonString(doc.Section))
                    .arg(doc.CourseId);
    }
    return index.Finish() &&
           WriteUtf8(folder + QStringLiteral("/docs.js"), Script(QStringLiteral("docs"), docs + u'}'));
}
