#include "publish/SiteSearch.h"

#include "search/SearchWords.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <set>

namespace {

// lunr's BM25 parameters.
constexpr double K1 = 1.2;
constexpr double B = 0.75;
// A page's text kept for its snippet; the words a snippet shows are near the start anyway.
constexpr qsizetype SnippetTextLimit = 20000;

QString Json(const QString& text) {
    QString out = QStringLiteral("\"");
    out.reserve(text.size() + 2);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
        case '\t':
            out += QLatin1Char(' ');
            break;
        default:
            // Other control characters and the line separators JavaScript once refused.
            if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029)
                out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

// lunr rounds scores to three places before it keeps them.
QString Score(double score) {
    return QString::number(std::round(score * 1000) / 1000, 'g', 10);
}

bool WriteUtf8(const QString& path, const QString& text) {
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

std::vector<QString> SiteSearchTerms(const QString& text) {
    std::vector<QString> terms;
    const QString folded = FoldSearchText(text);
    qsizetype i = 0;
    const qsizetype n = folded.size();
    while (i < n) {
        while (i < n && !IsSearchWordChar(folded[i]))
            ++i;
        const qsizetype start = i;
        while (i < n && IsSearchWordChar(folded[i]))
            ++i;
        if (i > start)
            terms.push_back(QString::fromStdString(RussianStem(folded.mid(start, i - start).toStdString())));
    }
    return terms;
}

void TSiteSearch::Add(TDoc doc) {
    const auto field = [](const QString& text) {
        TField f;
        for (const QString& term : SiteSearchTerms(text)) {
            ++f.Frequencies[term];
            ++f.Length;
        }
        return f;
    };
    m_title.push_back(field(doc.Title));
    m_body.push_back(field(doc.Text));
    doc.Text.truncate(SnippetTextLimit);
    m_docs.push_back(std::move(doc));
}

bool TSiteSearch::Write(const QString& folder) const {
    QDir().mkpath(folder);
    const size_t count = m_docs.size();
    // The terms sorted as JavaScript sorts strings (UTF-16 code units), as lunr's token set needs.
    std::map<QString, std::pair<int, int>> terms; // term -> (index, documents having it, per field)
    for (const auto* fields : {&m_title, &m_body})
        for (const TField& f : *fields)
            for (const auto& [term, tf] : f.Frequencies)
                ++terms[term].second;
    int next = 0;
    for (auto& [term, entry] : terms)
        entry.first = next++;
    double average[2] = {0, 0};
    for (size_t d = 0; d < count; ++d) {
        average[0] += m_title[d].Length;
        average[1] += m_body[d].Length;
    }
    for (double& a : average)
        a = count > 0 && a > 0 ? a / double(count) : 1.0;

    const double documents = double(count);
    const auto idf = [documents](int having) {
        return std::log(1 + std::abs((documents - having + 0.5) / (having + 0.5)));
    };
    QString vectors;
    // term -> refs per field, for the inverted index
    std::map<QString, std::pair<QStringList, QStringList>> postings;
    const char* names[] = {"title", "body"};
    for (size_t d = 0; d < count; ++d) {
        for (int k = 0; k < 2; ++k) {
            const TField& f = k == 0 ? m_title[d] : m_body[d];
            std::vector<std::pair<int, double>> elements;
            for (const auto& [term, tf] : f.Frequencies) {
                const auto& entry = terms[term];
                const double score =
                    idf(entry.second) * ((K1 + 1) * tf) / (K1 * (1 - B + B * (f.Length / average[k])) + tf);
                elements.emplace_back(entry.first, score);
                (k == 0 ? postings[term].first : postings[term].second) << m_docs[d].Ref;
            }
            std::sort(elements.begin(), elements.end());
            if (!vectors.isEmpty())
                vectors += QLatin1Char(',');
            vectors +=
                QStringLiteral("[%1,[").arg(Json(QString::fromLatin1(names[k]) + u'/' + m_docs[d].Ref));
            for (size_t e = 0; e < elements.size(); ++e)
                vectors += (e ? QStringLiteral(",") : QString()) + QString::number(elements[e].first) + u',' +
                           Score(elements[e].second);
            vectors += QStringLiteral("]]");
        }
    }
    QString inverted;
    for (const auto& [term, entry] : terms) {
        const auto& [titles, bodies] = postings[term];
        const auto refs = [](const QStringList& list) {
            QString out;
            for (const QString& ref : list)
                out += (out.isEmpty() ? QString() : QStringLiteral(",")) + Json(ref) + QStringLiteral(":{}");
            return out;
        };
        if (!inverted.isEmpty())
            inverted += QLatin1Char(',');
        inverted += QStringLiteral("[%1,{\"_index\":%2,\"title\":{%3},\"body\":{%4}}]")
                        .arg(Json(term))
                        .arg(entry.first)
                        .arg(refs(titles), refs(bodies));
    }
    const QString index =
        QStringLiteral("{\"version\":\"2.3.9\",\"fields\":[\"title\",\"body\"],\"fieldVectors\":[") +
        vectors + QStringLiteral("],\"invertedIndex\":[") + inverted +
        QStringLiteral("],\"pipeline\":[\"fold-yo\",\"stemmer-ru\"]}");
    QString docs = QStringLiteral("{");
    std::map<int, QString> texts;
    for (const TDoc& doc : m_docs) {
        if (docs.size() > 1)
            docs += QLatin1Char(',');
        docs += QStringLiteral("%1:[%2,%3,%4,%5,%6]")
                    .arg(Json(doc.Ref), Json(doc.Title), Json(doc.Url), Json(doc.Course), Json(doc.Section))
                    .arg(doc.CourseId);
        QString& text = texts[doc.CourseId];
        text += (text.isEmpty() ? QStringLiteral("{") : QStringLiteral(",")) + Json(doc.Ref) + u':' +
                Json(doc.Text);
    }
    bool ok = WriteUtf8(folder + QStringLiteral("/index.json"), index) &&
              WriteUtf8(folder + QStringLiteral("/docs.json"), docs + u'}');
    for (const auto& [course, text] : texts)
        ok = ok && WriteUtf8(folder + QStringLiteral("/text-%1.json").arg(course), text + u'}');
    return ok;
}
