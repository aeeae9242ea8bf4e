#include "search/SearchTokenizer.h"

#include <QChar>
#include <algorithm>
#include <sqlite3.h>

namespace SearchTokenizer {

namespace {

// Words longer than this many bytes are not words but encoded data or damage; they are skipped.
constexpr int kMaxWordBytes = 240;

// The code point at text[i] and its length in bytes; length 0 for an invalid sequence.
char32_t Decode(const unsigned char* text, int size, int i, int& length) {
    const unsigned char c = text[i];
    const auto continuation = [&](int k) { return i + k < size && (text[i + k] & 0xC0) == 0x80; };
    if (c < 0x80) {
        length = 1;
        return c;
    }
    if (c >= 0xC2 && c < 0xE0 && continuation(1)) {
        length = 2;
        return char32_t(c & 0x1F) << 6 | (text[i + 1] & 0x3F);
    }
    if (c >= 0xE0 && c < 0xF0 && continuation(1) && continuation(2)) {
        const char32_t cp =
            char32_t(c & 0x0F) << 12 | char32_t(text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F);
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
            length = 3;
            return cp;
        }
    } else if (c >= 0xF0 && c < 0xF5 && continuation(1) && continuation(2) && continuation(3)) {
        const char32_t cp = char32_t(c & 0x07) << 18 | char32_t(text[i + 1] & 0x3F) << 12 |
                            char32_t(text[i + 2] & 0x3F) << 6 | (text[i + 3] & 0x3F);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            length = 4;
            return cp;
        }
    }
    length = 0;
    return 0;
}

// Writes the code point as UTF-8; returns the number of bytes.
int Encode(char32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = char(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = char(0xC0 | (cp >> 6));
        out[1] = char(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = char(0xE0 | (cp >> 12));
        out[1] = char(0x80 | ((cp >> 6) & 0x3F));
        out[2] = char(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (cp >> 18));
    out[1] = char(0x80 | ((cp >> 12) & 0x3F));
    out[2] = char(0x80 | ((cp >> 6) & 0x3F));
    out[3] = char(0x80 | (cp & 0x3F));
    return 4;
}

// Whether the code point belongs to a word, and its folded form. Russian and ASCII text, nearly
// all of what is indexed, take the short ways.
bool WordChar(char32_t cp, char32_t& folded) {
    if (cp < 0x80) {
        if ((cp >= 'a' && cp <= 'z') || (cp >= '0' && cp <= '9') || cp == '_') {
            folded = cp;
            return true;
        }
        if (cp >= 'A' && cp <= 'Z') {
            folded = cp + 32;
            return true;
        }
        return false;
    }
    if (cp >= 0x400 && cp < 0x460) {
        folded = cp < 0x410 ? cp + 0x50 : cp < 0x430 ? cp + 0x20 : cp;
        if (folded == 0x451) // ё
            folded = 0x435;
        return true;
    }
    if (!QChar::isLetterOrNumber(cp) && !QChar::isMark(cp))
        return false;
    folded = QChar::toLower(cp);
    if (folded == 0x451)
        folded = 0x435;
    return true;
}

} // namespace

int Tokenize(const char* text, int size, void* context, TWordFound onWord) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    char word[kMaxWordBytes + 4];
    int length = 0;       // bytes of the word so far
    bool tooLong = false; // the word is skipped
    int begin = -1;       // where the word began in the text, -1 between words
    int end = 0;
    const auto flush = [&]() -> int {
        int rc = 0;
        if (begin >= 0 && !tooLong)
            rc = onWord(context, word, length, begin, end);
        length = 0;
        tooLong = false;
        begin = -1;
        return rc;
    };
    const auto put = [&](char32_t folded, int at, int next) {
        if (begin < 0)
            begin = at;
        end = next;
        if (length > kMaxWordBytes - 4)
            tooLong = true;
        else
            length += Encode(folded, word + length);
    };
    for (int i = 0; i < size;) {
        const unsigned char c = bytes[i];
        int step = 1;
        char32_t cp = c;
        // Russian letters are two bytes, D0 or D1 and one more: decoded here without the general
        // path, which the rest of the text takes.
        if (c >= 0x80) {
            if ((c == 0xD0 || c == 0xD1) && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
                cp = char32_t(c & 0x1F) << 6 | (bytes[i + 1] & 0x3F);
                step = 2;
            } else {
                cp = Decode(bytes, size, i, step);
            }
        }
        char32_t folded = 0;
        if (step > 0 && WordChar(cp, folded)) {
            put(folded, i, i + step);
        } else if (!(cp == 0xAD && step == 2 && begin >= 0)) { // a soft hyphen inside a word joins it
            if (const int rc = flush())
                return rc;
        }
        i += std::max(step, 1);
    }
    return flush();
}

namespace {

int Create(void*, const char**, int, Fts5Tokenizer** out) {
    // The tokenizer keeps no state: any non-null handle does.
    static char handle;
    *out = reinterpret_cast<Fts5Tokenizer*>(&handle);
    return SQLITE_OK;
}

void Delete(Fts5Tokenizer*) {
}

int Run(Fts5Tokenizer*, void* context, int, const char* text, int size,
        int (*token)(void*, int, const char*, int, int, int)) {
    struct TCall {
        void* Context;
        int (*Token)(void*, int, const char*, int, int, int);
    } call{context, token};
    return Tokenize(text, size, &call, [](void* c, const char* word, int wordSize, int begin, int end) {
        auto* call = static_cast<TCall*>(c);
        return call->Token(call->Context, 0, word, wordSize, begin, end);
    });
}

} // namespace

int Register(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    rc = sqlite3_finalize(statement);
    if (rc != SQLITE_OK)
        return rc;
    if (!api)
        return SQLITE_ERROR;
    fts5_tokenizer tokenizer{Create, Delete, Run};
    return api->xCreateTokenizer(api, kName, nullptr, &tokenizer, nullptr);
}

} // namespace SearchTokenizer
