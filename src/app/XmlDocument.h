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
    QString FileName() const { return m_fileName; }

    // Activating parses FileName; deactivating releases the parsed document.
    void SetActive(bool active);
    bool Active() const { return m_doc != nullptr; }

    void LoadFromFile(const QString& fileName);
    void LoadFromXML(const QString& text);     // text held in memory, already decoded
    void LoadFromXML(const QByteArray& bytes); // raw bytes; the declaration names the encoding

    TXMLNode DocumentElement() const; // throws TXmlError when not active

    // Writes with the encoding the declaration names (UTF-8 when it names none), through a
    // temporary file renamed over the target, so a failed save never leaves half a file.
    void SaveToFile(const QString& fileName) const;

private:
    void Parse(const QByteArray& bytes, const QString& origin, const char* forcedEncoding);
    void Release();

    QString m_fileName;
    void* m_doc = nullptr;  // xmlDoc*
    void* m_ctxt = nullptr; // xmlParserCtxt*, made on the first parse
};
