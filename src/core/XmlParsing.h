#pragma once

// libxml2 as every reader of the program uses it: one set-up, one rule for bytes that name no
// encoding, and one bound on what entities may expand to. The XML documents of the player and
// the page reader of the search both parse through these.

#include <QByteArray>

struct _xmlDoc; // libxml2's xmlDoc

// Sets libxml2 up once for the process (nothing outside a document is ever read: no DTD, no
// external entity; outlines may nest 2048 levels deep) and silences its error output on the
// calling thread, where libxml2 keeps the handler. Cheap after the first call on a thread.
void SetUpLibxml();

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool IsValidUtf8(const QByteArray& bytes);

// Old discs hold documents written in windows-1251 by tools that wrote no XML declaration, or one
// without an encoding. Such bytes read as windows-1251 when nothing names their encoding: no
// byte-order mark, no UTF-16 without one, no encoding in the declaration, and not valid UTF-8.
bool ReadsAsWindows1251(const QByteArray& bytes);

// Whether the bytes may declare entities (an internal DTD subset with <!ENTITY), in UTF-8 or an
// 8-bit encoding or in UTF-16. Documents without one have nothing to expand.
bool MayDeclareEntities(const QByteArray& bytes);

// How much text the entity references of a parsed document add when they are expanded: every
// reference counts the whole text of its entity, nested ones included. A few lines of
// declarations can otherwise make gigabytes of attribute text. Counting stops past `stopAt`.
qint64 EntityExpansionSize(_xmlDoc* doc, qint64 stopAt);

// What entities may add to a document of fileSize bytes: a small multiple of the file, a few
// megabytes at most, enough for any real document that names characters by entities.
qint64 EntityExpansionBudget(qint64 fileSize);

// Whether the document's entities stay within the budget of its file size.
inline bool EntitiesWithinBudget(_xmlDoc* doc, qint64 fileSize) {
    const qint64 budget = EntityExpansionBudget(fileSize);
    return EntityExpansionSize(doc, budget) <= budget;
}

// Counts the memory libxml2 and libxslt take on the calling thread while the account is open (the
// bytes held now, less what was freed), readable from any thread: a transformation that builds
// gigabytes of strings is stopped by its watcher long before it has them. An account opened
// inside another counts alone until it closes.
class TXmlMemoryAccount final {
public:
    TXmlMemoryAccount();
    ~TXmlMemoryAccount();
    TXmlMemoryAccount(const TXmlMemoryAccount&) = delete;
    TXmlMemoryAccount& operator=(const TXmlMemoryAccount&) = delete;

    qint64 Bytes() const;

private:
    TXmlMemoryAccount* m_previous;
    alignas(8) qint64 m_bytes = 0; // written by the owning thread only, read atomically
    friend struct TXmlAllocator;
};
