#include "search/SearchWords.h"

#include <libstemmer.h>

namespace {

constexpr char16_t kYo = u'ё';
constexpr char16_t kYoUpper = u'Ё';

} // namespace

bool IsSearchWordChar(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c == u'_';
}

QString FoldYo(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c == kYo)
            c = u'е';
        else if (c == kYoUpper)
            c = u'Е';
    }
    return out;
}

QString FoldSearchText(const QString& text) {
    return FoldYo(text.toLower());
}

std::string RussianStem(const std::string& foldedWord) {
    // A stemmer keeps its state while it works: one per thread.
    struct TStemmer {
        sb_stemmer* Stemmer = sb_stemmer_new("russian", "UTF_8");
        ~TStemmer() { sb_stemmer_delete(Stemmer); }
    };
    thread_local const TStemmer stemmer;
    if (!stemmer.Stemmer)
        return foldedWord;
    const sb_symbol* stem = sb_stemmer_stem(
        stemmer.Stemmer, reinterpret_cast<const sb_symbol*>(foldedWord.data()), int(foldedWord.size()));
    if (!stem) // out of memory
        return foldedWord;
    return std::string(reinterpret_cast<const char*>(stem), size_t(sb_stemmer_length(stemmer.Stemmer)));
}
