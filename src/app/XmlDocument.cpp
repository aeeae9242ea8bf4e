#include "app/XmlDocument.h"

#include <QFile>
#include <QSaveFile>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

xmlNodePtr N(void* p) {
    return static_cast<xmlNodePtr>(p);
}
xmlDocPtr D(void* p) {
    return static_cast<xmlDocPtr>(p);
}

QString FromXml(const xmlChar* s) {
    return s ? QString::fromUtf8(reinterpret_cast<const char*>(s)) : QString();
}

// No file, DTD or entity outside the document is ever read.
xmlParserInputPtr RefuseExternal(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

void SilentError(void*, const char*, ...) {
}

void SetUpLibxml() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(RefuseExternal);
        xmlSetGenericErrorFunc(nullptr, SilentError);
        // Course outlines may nest deeper than libxml2's default of 256 levels; a higher bound
        // keeps them loadable while the other limits that XML_PARSE_HUGE would lift stay on.
        xmlParserMaxDepth = 2048;
    });
}

bool IsBlank(const xmlChar* s) {
    if (!s)
        return true;
    for (; *s; ++s)
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n')
            return false;
    return true;
}

// Elements and non-blank text are child nodes; comments, processing instructions and
// whitespace between elements are not.
bool IsChildNode(xmlNodePtr n) {
    switch (n->type) {
    case XML_ELEMENT_NODE:
        return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return !IsBlank(n->content);
    default:
        return false;
    }
}

xmlNodePtr NextChildNode(xmlNodePtr n) {
    while (n && !IsChildNode(n))
        n = n->next;
    return n;
}

// Attribute names are nearly always ASCII: those are compared byte by byte, without making a
// UTF-8 copy of the name for every lookup.
bool AsciiNameEquals(const xmlChar* s, const QString& asciiName) {
    for (const QChar c : asciiName) {
        if (*s != xmlChar(c.unicode()))
            return false;
        ++s;
    }
    return *s == 0;
}

xmlAttrPtr FindAttribute(xmlNodePtr node, const QString& name) {
    if (!node || node->type != XML_ELEMENT_NODE)
        return nullptr;
    bool ascii = true;
    for (const QChar c : name)
        ascii = ascii && c.unicode() > 0 && c.unicode() < 0x80;
    if (ascii) {
        for (xmlAttrPtr a = node->properties; a; a = a->next)
            if (!a->ns && AsciiNameEquals(a->name, name))
                return a;
        return nullptr;
    }
    const QByteArray utf8 = name.toUtf8();
    for (xmlAttrPtr a = node->properties; a; a = a->next)
        if (!a->ns && qstrcmp(reinterpret_cast<const char*>(a->name), utf8.constData()) == 0)
            return a;
    return nullptr;
}

// The whole file, read only when it is an ordinary file: a pipe or a device named like a
// document would block or never end. Opened without blocking, then checked, then read, so a
// file swapped for a pipe in between is no danger either.
QByteArray ReadDocumentFile(const QString& fileName) {
    const auto notFound = [&] { return TXmlError(QStringLiteral("Файл \"%1\" не найден").arg(fileName)); };
    const auto tooBig = [&] {
        return TXmlError(QStringLiteral("Файл \"%1\" слишком велик для XML-документа").arg(fileName));
    };
    const auto cannotRead = [&](int error) {
        return TXmlError(QStringLiteral("Не удалось открыть файл \"%1\": %2")
                             .arg(fileName, QString::fromLocal8Bit(std::strerror(error))));
    };
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw errno == ENOENT || errno == ENOTDIR ? notFound() : cannotRead(errno);
    const auto fail = [fd](const TXmlError& error) {
        ::close(fd);
        throw error;
    };
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        fail(notFound());
    // The parser takes the length as an int.
    constexpr qsizetype kLimit = std::numeric_limits<int>::max();
    if (st.st_size >= kLimit)
        fail(tooBig());
    // One byte to spare, so that the read that meets the end needs no larger buffer.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) // the file has grown since it was measured
            bytes.resize(qMin(kLimit, done + qMax<qsizetype>(4096, done / 2)));
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(cannotRead(errno));
        if (n == 0)
            break;
        done += n;
        if (done >= kLimit)
            fail(tooBig());
    }
    ::close(fd);
    bytes.truncate(done);
    return bytes;
}

} // namespace

TXmlError::TXmlError(const QString& message) : std::runtime_error(message.toStdString()) {
}

std::optional<int> ParseDecimalInt(const QString& text) {
    int i = 0;
    const int n = int(text.size());
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return int(value);
}

// --- TXMLNode -------------------------------------------------------------------------------

QString TXMLNode::NodeName() const {
    if (!m_node)
        return {};
    xmlNodePtr n = N(m_node);
    QString name = FromXml(n->name);
    if (n->type == XML_ELEMENT_NODE && n->ns && n->ns->prefix)
        name = FromXml(n->ns->prefix) + u':' + name;
    return name;
}

bool TXMLNode::IsElement() const {
    return m_node && N(m_node)->type == XML_ELEMENT_NODE;
}

int TXMLNode::ChildCount() const {
    int count = 0;
    for (TXMLNode c = FirstChild(); c; c = c.NextSibling())
        ++count;
    return count;
}

TXMLNode TXMLNode::Child(int index) const {
    int i = 0;
    for (TXMLNode c = FirstChild(); c; c = c.NextSibling(), ++i)
        if (i == index)
            return c;
    throw TXmlError(QStringLiteral("Нет дочернего узла с номером %1").arg(index));
}

TXMLNode TXMLNode::FirstChild() const {
    if (!m_node || N(m_node)->type != XML_ELEMENT_NODE)
        return {};
    return TXMLNode(NextChildNode(N(m_node)->children));
}

TXMLNode TXMLNode::NextSibling() const {
    if (!m_node)
        return {};
    return TXMLNode(NextChildNode(N(m_node)->next));
}

bool TXMLNode::HasAttribute(const QString& name) const {
    return FindAttribute(N(m_node), name) != nullptr;
}

std::optional<QString> TXMLNode::Attribute(const QString& name) const {
    xmlAttrPtr a = FindAttribute(N(m_node), name);
    if (!a)
        return std::nullopt;
    // A value that is one piece of text is read in place; one with entity references is joined.
    const xmlNodePtr text = a->children;
    if (!text)
        return QString(QLatin1String("")); // present but empty: not a null string
    if (text->type == XML_TEXT_NODE && !text->next)
        return FromXml(text->content);
    xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a));
    QString result = FromXml(value);
    xmlFree(value);
    return result;
}

QString TXMLNode::AttributeText(const QString& name) const {
    return Attribute(name).value_or(QString());
}

int TXMLNode::AttributeInt(const QString& name) const {
    const std::optional<QString> text = Attribute(name);
    if (!text)
        throw TXmlConversionError(
            QStringLiteral("Атрибут \"%1\" отсутствует: нельзя получить целое число").arg(name));
    const std::optional<int> value = ParseDecimalInt(*text);
    if (!value)
        throw TXmlConversionError(
            QStringLiteral("Значение \"%1\" атрибута \"%2\" не является целым числом").arg(*text, name));
    return *value;
}

TXMLNode TXMLNode::AddChild(const QString& name) {
    if (!IsElement())
        throw TXmlError(
            QStringLiteral("Нельзя добавить элемент \"%1\": нет родительского элемента").arg(name));
    const QByteArray utf8 = name.toUtf8();
    xmlNodePtr child =
        xmlNewChild(N(m_node), nullptr, reinterpret_cast<const xmlChar*>(utf8.constData()), nullptr);
    if (!child)
        throw TXmlError(QStringLiteral("Не удалось добавить элемент \"%1\"").arg(name));
    return TXMLNode(child);
}

void TXMLNode::SetAttribute(const QString& name, int value) {
    SetAttribute(name, QString::number(value));
}

void TXMLNode::SetAttribute(const QString& name, const QString& value) {
    if (!IsElement())
        throw TXmlError(
            QStringLiteral("Нельзя записать атрибут \"%1\": узел не является элементом").arg(name));
    const QByteArray n = name.toUtf8();
    const QByteArray v = value.toUtf8();
    // xmlSetProp takes the value as text and escapes it when the document is written.
    if (!xmlSetProp(N(m_node), reinterpret_cast<const xmlChar*>(n.constData()),
                    reinterpret_cast<const xmlChar*>(v.constData())))
        throw TXmlError(QStringLiteral("Не удалось записать атрибут \"%1\"").arg(name));
}

// --- TXMLDocument ---------------------------------------------------------------------------

TXMLDocument::TXMLDocument() {
    SetUpLibxml();
}

TXMLDocument::~TXMLDocument() {
    Release();
    if (m_ctxt)
        xmlFreeParserCtxt(static_cast<xmlParserCtxtPtr>(m_ctxt));
}

void TXMLDocument::Release() {
    if (m_doc)
        xmlFreeDoc(D(m_doc));
    m_doc = nullptr;
}

void TXMLDocument::SetFileName(const QString& fileName) {
    if (fileName != m_fileName)
        Release();
    m_fileName = fileName;
}

void TXMLDocument::SetActive(bool active) {
    if (!active) {
        Release();
        return;
    }
    if (m_doc)
        return;
    if (m_fileName.isEmpty())
        throw TXmlError(QStringLiteral("Не задано имя XML-файла"));
    Parse(ReadDocumentFile(m_fileName), m_fileName, nullptr);
}

void TXMLDocument::LoadFromFile(const QString& fileName) {
    Release();
    m_fileName = fileName;
    SetActive(true);
}

void TXMLDocument::LoadFromXML(const QString& text) {
    Release();
    m_fileName.clear();
    Parse(text.toUtf8(), QStringLiteral("текст XML"), "UTF-8");
}

void TXMLDocument::LoadFromXML(const QByteArray& bytes) {
    Release();
    m_fileName.clear();
    Parse(bytes, QStringLiteral("текст XML"), nullptr);
}

void TXMLDocument::Parse(const QByteArray& bytes, const QString& origin, const char* forcedEncoding) {
    Release();
    // One parser context serves every document this object reads; each read resets it.
    if (!m_ctxt)
        m_ctxt = xmlNewParserCtxt();
    xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(m_ctxt);
    if (!ctxt)
        throw TXmlError(QStringLiteral("Не хватает памяти для разбора XML"));
    // Never XML_PARSE_HUGE, XML_PARSE_NOENT or XML_PARSE_DTDLOAD: limits stay on and nothing
    // outside the document is read.
    const int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr doc =
        xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), nullptr, forcedEncoding, options);
    QString message;
    if (!doc || !ctxt->wellFormed) {
        const xmlError* err = xmlCtxtGetLastError(ctxt);
        QString reason = err && err->message ? QString::fromUtf8(err->message).trimmed()
                                             : QStringLiteral("документ пуст или повреждён");
        const int line = err ? err->line : 0;
        message = line > 0
                      ? QStringLiteral("Ошибка в XML (%1, строка %2): %3").arg(origin).arg(line).arg(reason)
                      : QStringLiteral("Ошибка в XML (%1): %2").arg(origin, reason);
        if (doc)
            xmlFreeDoc(doc);
        doc = nullptr;
    }
    if (!doc)
        throw TXmlError(message);
    if (!xmlDocGetRootElement(doc)) {
        xmlFreeDoc(doc);
        throw TXmlError(QStringLiteral("Ошибка в XML (%1): нет корневого элемента").arg(origin));
    }
    m_doc = doc;
}

TXMLNode TXMLDocument::DocumentElement() const {
    if (!m_doc)
        throw TXmlError(QStringLiteral("XML-документ не загружен"));
    return TXMLNode(xmlDocGetRootElement(D(m_doc)));
}

void TXMLDocument::SaveToFile(const QString& fileName) const {
    if (!m_doc)
        throw TXmlError(QStringLiteral("XML-документ не загружен"));
    const char* encoding = D(m_doc)->encoding ? reinterpret_cast<const char*>(D(m_doc)->encoding) : "UTF-8";
    xmlChar* buffer = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(D(m_doc), &buffer, &size, encoding, 0);
    if (!buffer)
        throw TXmlError(QStringLiteral("Не удалось записать XML-документ в файл \"%1\"").arg(fileName));
    const QByteArray bytes(reinterpret_cast<const char*>(buffer), size);
    xmlFree(buffer);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TXmlError(
            QStringLiteral("Не удалось сохранить файл \"%1\": %2").arg(fileName, file.errorString()));
}
