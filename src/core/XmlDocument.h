#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <stdexcept>

// The XML document component: every XML file the player reads or writes goes through it.
// Failures are exceptions of TXmlError (or its conversion subclass) with a readable message.
// No libxml2 type appears here.

class TXmlError : public std::runtime_error {
public:
    explicit TXmlError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// Attribute text that is missing or is not a plain decimal 32-bit integer.
class TXmlConversionError : public TXmlError {
public:
    using TXmlError::TXmlError;
};

// A file that is larger than its kind of document may be; refused before any of it is read.
class TXmlFileTooLarge : public TXmlError {
public:
    using TXmlError::TXmlError;
};

// What an XML file holds, which decides how large it may be. The real files of each kind stay
// far below these limits; a file past them is damaged or not what its name says, and reading it
// whole would stall the program and fill its memory.
enum class TXmlFileKind {
    Document,   // any XML file the player reads, when the caller names no kind
    Descriptor, // a course descriptor of the catalogue
    Tree,       // a section's tree document
    Collection, // a collection file
    TaskPage,   // a page of the tasks section, read for its task ids
};

inline constexpr qint64 kDescriptorSizeLimit = qint64(1) << 20; // 1 MB
inline constexpr qint64 kTreeSizeLimit = qint64(64) << 20;      // 64 MB
inline constexpr qint64 kCollectionSizeLimit = qint64(64) << 20;
inline constexpr qint64 kTaskPageSizeLimit = qint64(16) << 20;
inline constexpr qint64 kDocumentSizeLimit = qint64(64) << 20; // the largest of the above

// The largest file of the kind that is read, in bytes.
qint64 XmlSizeLimit(TXmlFileKind kind);
// "1 МБ", "1,5 ГБ", "512 байт": a size as the messages show it.
QString DataSizeText(qint64 bytes);
// "1 байт", "3 байта", "2097152 байта": an exact count of bytes.
QString ByteCountText(qint64 bytes);

// Plain decimal with an optional sign and nothing else: "007" is 7, " 7", "7.0", "0x7", "" fail.
std::optional<int> ParseDecimalInt(const QString& text);

class TXMLDocument;

// A handle to a node of an active document; valid until the document is deactivated.
class TXMLNode {
public:
    TXMLNode() = default;

    bool IsNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const TXMLNode& other) const { return m_node == other.m_node; }

    // The element's name exactly as written, prefix and case kept.
    QString NodeName() const;
    bool IsElement() const;

    // Child nodes in document order: elements and non-blank text. Whitespace-only text,
    // comments and processing instructions are not child nodes.
    int ChildCount() const;
    TXMLNode Child(int index) const; // throws TXmlError when out of range
    TXMLNode FirstChild() const;
    TXMLNode NextSibling() const;

    // Case-sensitive, unprefixed attribute names.
    bool HasAttribute(const QString& name) const;
    std::optional<QString> Attribute(const QString& name) const; // no value when missing
    QString AttributeText(const QString& name) const;            // missing gives ""
    int AttributeInt(const QString& name) const;                 // throws TXmlConversionError

    TXMLNode AddChild(const QString& name); // appended as the last child
    void SetAttribute(const QString& name, int value);
    void SetAttribute(const QString& name, const QString& value);

private:
    friend class TXMLDocument;
    explicit TXMLNode(void* node) : m_node(node) {}
    void* m_node = nullptr; // xmlNode*
};

class TXMLDocument {
public:
    TXMLDocument();
    ~TXMLDocument();
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    // Switching files unloads the current document.
    void SetFileName(const QString& fileName);
    void SetFileName(const QString& fileName, TXmlFileKind kind);
    // Names the file by its bytes as the file system holds them: a name that is not valid in
    // the system's encoding (a windows-1251 name from an old disc) cannot pass through a
    // QString unchanged. FileName() is then its readable form, for messages.
    void SetNativeFileName(const QByteArray& path);
    QString FileName() const;

    // The kind of the files this object reads from now on; a file larger than the kind allows
    // raises TXmlFileTooLarge, naming the file, before it is read. Document by default.
    void SetFileKind(TXmlFileKind kind) { m_kind = kind; }
    TXmlFileKind FileKind() const { return m_kind; }

    // Activating parses FileName; deactivating releases the parsed document.
    void SetActive(bool active);
    bool Active() const { return m_doc != nullptr; }

    void LoadFromFile(const QString& fileName);
    void LoadFromFile(const QString& fileName, TXmlFileKind kind);
    void LoadFromXML(const QString& text); // text held in memory, already decoded
    // Raw bytes: the declaration or byte-order mark names the encoding; bytes with neither that are
    // not valid UTF-8 are read as windows-1251, as old discs wrote them (files likewise).
    void LoadFromXML(const QByteArray& bytes);

    TXMLNode DocumentElement() const; // throws TXmlError when not active

    // Writes with the encoding the declaration names (UTF-8 when it names none), through a
    // temporary file renamed over the target, so a failed save never leaves half a file.
    void SaveToFile(const QString& fileName) const;

private:
    void Parse(const QByteArray& bytes, const QString& origin, const char* forcedEncoding);
    void ParseFile();
    QByteArray ReadWholeFile() const;
    void* Context();
    void TakeResult(void* doc, const QString& origin, qint64 size);
    void Release();

    // Null when the file was named by its bytes: FileName() decodes them when asked, which only
    // the messages do, so a scan of thousands of descriptors decodes no name it does not show.
    QString m_fileName;
    QByteArray m_nativeName; // the bytes that name the file to the file system
    TXmlFileKind m_kind = TXmlFileKind::Document;
    void* m_doc = nullptr;  // xmlDoc*
    void* m_ctxt = nullptr; // xmlParserCtxt*, made on the first parse
};
