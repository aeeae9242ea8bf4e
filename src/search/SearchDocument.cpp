// Xapian before Qt: Qt's keyword macros (emit, slots) would break Xapian's headers.
#include <xapian.h>

#include "search/SearchDocument.h"

#include "markup/Markup.h"
#include "search/SearchWords.h"

#include <QFile>
#include <cstdio>
#include <sys/stat.h>

namespace SearchDocument {

namespace {

// Fields of the document data: a 4-byte length, then the UTF-8 bytes.
void Put(std::string& out, const QByteArray& bytes) {
    const quint32 n = quint32(bytes.size());
    char size[4] = {char(n & 0xff), char((n >> 8) & 0xff), char((n >> 16) & 0xff), char((n >> 24) & 0xff)};
    out.append(size, 4);
    out.append(bytes.constData(), size_t(bytes.size()));
}

bool Take(const std::string& in, size_t& pos, QByteArray& bytes) {
    if (in.size() - pos < 4)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(in.data() + pos);
    const size_t n = size_t(p[0]) | size_t(p[1]) << 8 | size_t(p[2]) << 16 | size_t(p[3]) << 24;
    pos += 4;
    if (in.size() - pos < n)
        return false;
    bytes = QByteArray(in.data() + pos, qsizetype(n));
    pos += n;
    return true;
}

Xapian::TermGenerator& Generator() {
    // One per thread: term generators and stemmers are not shared between threads.
    thread_local Xapian::TermGenerator generator = [] {
        Xapian::TermGenerator g;
        g.set_stemmer(Xapian::Stem("russian"));
        g.set_stemming_strategy(Xapian::TermGenerator::STEM_SOME);
        return g;
    }();
    return generator;
}

} // namespace

std::string ItemKey(int course, int section, int id) {
    return std::to_string(course) + '/' + std::to_string(section) + '/' + std::to_string(id);
}

std::string CourseTerm(int course) {
    return "XC" + std::to_string(course);
}

std::string Stamp(const TSearchItem& item) {
    // Called for every item of the library each time it is opened: a plain stat() and a plain
    // hash keep that well under a second for 50,000 items.
    struct stat info {};
    const bool exists = !item.PagePath.isEmpty() &&
                        ::stat(QFile::encodeName(item.PagePath).constData(), &info) == 0 &&
                        S_ISREG(info.st_mode);
    quint64 hash = 14695981039346656037ULL; // FNV-1a over the names that a result shows
    for (const QString* text : {&item.Caption, &item.CourseName, &item.PagePath}) {
        for (const QChar c : *text) {
            hash = (hash ^ c.unicode()) * 1099511628211ULL;
        }
        hash = (hash ^ 0xffff) * 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    if (!exists)
        return std::string("-1:0:") + hex;
    return std::to_string(info.st_size) + ':' + std::to_string(info.st_mtim.tv_sec) + '.' +
           std::to_string(info.st_mtim.tv_nsec) + ':' + hex;
}

bool SplitStampValue(const std::string& value, std::string& key, std::string& stamp) {
    const size_t tab = value.find('\t');
    if (tab == std::string::npos)
        return false;
    key = value.substr(0, tab);
    stamp = value.substr(tab + 1);
    return true;
}

Xapian::Document Build(const TSearchItem& item, const QString& pageText, const std::string& stamp) {
    const QString caption = StripMarkup(item.Caption);
    Xapian::TermGenerator& generator = Generator();
    Xapian::Document doc;
    generator.set_document(doc);
    generator.index_text(FoldSearchText(caption).toStdString(), kCaptionWeight);
    // A gap, so that a phrase never runs from the caption into the page.
    generator.increase_termpos(100);
    const QString shown = FoldYo(pageText);
    generator.index_text(shown.toLower().toStdString());

    const std::string key = ItemKey(item.Course, item.Section, item.ID);
    doc.add_boolean_term(CourseTerm(item.Course));
    doc.add_boolean_term("Q" + key);
    doc.add_value(kStampSlot, key + '\t' + stamp);

    std::string data;
    Put(data, QByteArray::number(item.Course));
    Put(data, item.CourseName.toUtf8());
    Put(data, QByteArray::number(item.Section));
    Put(data, QByteArray::number(item.ID));
    Put(data, item.Caption.toUtf8());
    Put(data, pageText.left(kStoredTextLimit).toUtf8()); // as the page spells it, for snippets
    doc.set_data(data);
    return doc;
}

TStored Read(const std::string& data) {
    TStored stored;
    size_t pos = 0;
    QByteArray course, name, section, id, caption, text;
    if (!Take(data, pos, course) || !Take(data, pos, name) || !Take(data, pos, section) ||
        !Take(data, pos, id) || !Take(data, pos, caption) || !Take(data, pos, text))
        return stored;
    stored.Course = course.toInt();
    stored.CourseName = QString::fromUtf8(name);
    stored.Section = section.toInt();
    stored.ID = id.toInt();
    stored.Caption = QString::fromUtf8(caption);
    stored.Text = QString::fromUtf8(text);
    return stored;
}

} // namespace SearchDocument
