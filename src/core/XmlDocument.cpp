#include "core/XmlDocument.h"

#include "core/ErrorTexts.h"
#include "core/RegularFile.h"
#include "core/XmlParsing.h"

#include <QFile>
#include <QSaveFile>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
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

// Never XML_PARSE_HUGE, XML_PARSE_NOENT or XML_PARSE_DTDLOAD: limits stay on and nothing outside
// the document is read.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

QString KindText(TXmlFileKind kind) {
    switch (kind) {
    case TXmlFileKind::Descriptor:
        return QStringLiteral("описания курса");
    case TXmlFileKind::Tree:
        return QStringLiteral("дерева раздела");
    case TXmlFileKind::Collection:
        return QStringLiteral("файла подборки");
    case TXmlFileKind::TaskPage:
        return QStringLiteral("страницы заданий");
    case TXmlFileKind::Document:
        break;
    }
    return QStringLiteral("XML-документа");
}

// A document file, read only when it is an ordinary file of a size its kind allows: a pipe or a
// device named like a document would block or never end, and a huge file would stall the
// program. Opened without blocking, then checked, then read, so a file swapped for a pipe in
// between is no danger either. The parser takes the text a piece at a time, so the document
// is never held whole beside its parsed tree.
class TDocumentFile final {
public:
    // fileName may be null: the name is then decoded from nativeName for a message.
    TDocumentFile(const QByteArray& nativeName, const QString& fileName, TXmlFileKind kind)
        : m_nativeName(nativeName), m_fileName(fileName), m_kind(kind), m_limit(XmlSizeLimit(kind)) {
        m_fd = OpenRegularFile(nativeName, &m_size);
        if (m_fd < 0) {
            const int error = errno;
            throw error == ENOENT || error == ENOTDIR ? NotFound() : CannotRead(error);
        }
        // The size is judged before a byte is read.
        if (m_size > m_limit)
            Fail(TooLarge(m_size));
    }
    ~TDocumentFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TDocumentFile(const TDocumentFile&) = delete;
    TDocumentFile& operator=(const TDocumentFile&) = delete;

    qint64 Size() const { return m_size; }

    // The parser's read callback.
    static int Read(void* context, char* buffer, int length) {
        auto* self = static_cast<TDocumentFile*>(context);
        for (;;) {
            const ssize_t n = ::read(self->m_fd, buffer, size_t(length));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                self->m_error = errno;
                return -1;
            }
            self->m_done += n;
            if (self->m_done > self->m_limit) { // the file has grown since it was measured
                self->m_tooBig = true;
                return -1;
            }
            return int(n);
        }
    }

    // After the parse: a failed read outranks whatever the parser made of the cut-off text.
    void ThrowIfReadFailed() const {
        if (m_tooBig)
            throw TooLarge(m_done);
        if (m_error)
            throw CannotRead(m_error);
    }

private:
    template <typename E> [[noreturn]] void Fail(const E& error) {
        ::close(m_fd);
        m_fd = -1;
        throw error;
    }
    QString Name() const { return m_fileName.isNull() ? QFile::decodeName(m_nativeName) : m_fileName; }
    TXmlError NotFound() const { return TXmlError(QStringLiteral("Файл \"%1\" не найден").arg(Name())); }
    TXmlError CannotRead(int error) const {
        return TXmlError(
            QStringLiteral("Не удалось прочитать файл \"%1\": %2").arg(Name(), SystemErrorText(error)));
    }
    TXmlFileTooLarge TooLarge(qint64 size) const {
        QString sizeText = DataSizeText(size);
        QString limitText = DataSizeText(m_limit);
        // Just over the limit both round alike; the bytes then show the difference.
        if (sizeText == limitText) {
            sizeText = ByteCountText(size);
            limitText = ByteCountText(m_limit);
        }
        return TXmlFileTooLarge(QStringLiteral("Файл \"%1\" слишком велик для %2: %3 при допустимых %4")
                                    .arg(Name(), KindText(m_kind), sizeText, limitText));
    }

    QByteArray m_nativeName;
    QString m_fileName;
    TXmlFileKind m_kind;
    qint64 m_limit;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_done = 0;
    int m_error = 0;
    bool m_tooBig = false;
};

} // namespace

TXmlError::TXmlError(const QString& message) : std::runtime_error(message.toStdString()) {
}

qint64 XmlSizeLimit(TXmlFileKind kind) {
    switch (kind) {
    case TXmlFileKind::Descriptor:
        return kDescriptorSizeLimit;
    case TXmlFileKind::Tree:
        return kTreeSizeLimit;
    case TXmlFileKind::Collection:
        return kCollectionSizeLimit;
    case TXmlFileKind::TaskPage:
        return kTaskPageSizeLimit;
    case TXmlFileKind::Document:
        break;
    }
    return kDocumentSizeLimit;
}

QString ByteCountText(qint64 bytes) {
    return QStringLiteral("%1 %2").arg(bytes).arg(ByteWord(bytes));
}

QString DataSizeText(qint64 bytes) {
    static const char* const units[] = {"КБ", "МБ", "ГБ", "ТБ"};
    if (bytes < 1024)
        return ByteCountText(bytes);
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit + 1 < int(std::size(units))) {
        value /= 1024;
        ++unit;
    }
    QString number = QString::number(value, 'f', 1);
    if (number.endsWith(QLatin1String(".0")))
        number.chop(2);
    return number.replace(u'.', u',') + u' ' + QString::fromUtf8(units[unit]);
}

namespace {

// An optional sign and decimal digits within the 32-bit range; anything else is not a number.
// The same on UTF-16 units and on UTF-8 bytes: no unit of a character outside ASCII is a digit.
template <typename Unit> std::optional<int> ParseDecimal(const Unit* s, const Unit* end) {
    bool negative = false;
    if (s != end && (*s == '+' || *s == '-')) {
        negative = *s == '-';
        ++s;
    }
    if (s == end)
        return std::nullopt;
    qint64 value = 0;
    for (; s != end; ++s) {
        if (*s < '0' || *s > '9')
            return std::nullopt;
        value = value * 10 + (*s - '0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return int(value);
}

std::optional<int> ParseDecimalBytes(const xmlChar* s) {
    if (!s)
        return std::nullopt;
    return ParseDecimal(s, s + xmlStrlen(s));
}

} // namespace

std::optional<int> ParseDecimalInt(const QString& text) {
    // The view's units are the string's own: utf16() on the string itself may copy it.
    const char16_t* units = QStringView(text).utf16();
    return ParseDecimal(units, units + text.size());
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
    // A value that is one piece of text is read from its bytes, without making a string of it;
    // anything else, and every failure, takes the way through the text, which the message needs.
    if (const xmlAttrPtr a = FindAttribute(N(m_node), name);
        a && a->children && a->children->type == XML_TEXT_NODE && !a->children->next)
        if (const std::optional<int> value = ParseDecimalBytes(a->children->content))
            return *value;
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
    SetNativeFileName(QFile::encodeName(fileName));
    m_fileName = fileName;
}

void TXMLDocument::SetFileName(const QString& fileName, TXmlFileKind kind) {
    SetFileName(fileName);
    m_kind = kind;
}

void TXMLDocument::SetNativeFileName(const QByteArray& path) {
    if (path != m_nativeName)
        Release();
    m_nativeName = path;
    m_fileName = QString();
}

QString TXMLDocument::FileName() const {
    return m_fileName.isNull() && !m_nativeName.isEmpty() ? QFile::decodeName(m_nativeName) : m_fileName;
}

void TXMLDocument::SetActive(bool active) {
    if (!active) {
        Release();
        return;
    }
    if (m_doc)
        return;
    if (m_nativeName.isEmpty())
        throw TXmlError(QStringLiteral("Не задано имя XML-файла"));
    ParseFile();
}

void TXMLDocument::LoadFromFile(const QString& fileName) {
    Release();
    SetFileName(fileName);
    SetActive(true);
}

void TXMLDocument::LoadFromFile(const QString& fileName, TXmlFileKind kind) {
    m_kind = kind;
    LoadFromFile(fileName);
}

void TXMLDocument::LoadFromXML(const QString& text) {
    Release();
    m_fileName.clear();
    m_nativeName.clear();
    Parse(text.toUtf8(), QStringLiteral("текст XML"), "UTF-8");
}

void TXMLDocument::LoadFromXML(const QByteArray& bytes) {
    Release();
    m_fileName.clear();
    m_nativeName.clear();
    try {
        Parse(bytes, QStringLiteral("текст XML"), nullptr);
    } catch (const TXmlError&) {
        if (!ReadsAsWindows1251(bytes))
            throw;
        Parse(bytes, QStringLiteral("текст XML"), "windows-1251");
    }
}

void* TXMLDocument::Context() {
    // One parser context serves every document this object reads; each read resets it.
    if (!m_ctxt)
        m_ctxt = xmlNewParserCtxt();
    if (!m_ctxt)
        throw TXmlError(QStringLiteral("Не хватает памяти для разбора XML"));
    return m_ctxt;
}

void TXMLDocument::Parse(const QByteArray& bytes, const QString& origin, const char* forcedEncoding) {
    Release();
    xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(Context());
    TakeResult(
        xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), nullptr, forcedEncoding, kParseOptions),
        origin, bytes.size());
}

void TXMLDocument::ParseFile() {
    Release();
    xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(Context());
    TDocumentFile file(m_nativeName, m_fileName, m_kind);
    xmlDocPtr doc =
        xmlCtxtReadIO(ctxt, &TDocumentFile::Read, nullptr, &file, nullptr, nullptr, kParseOptions);
    try {
        file.ThrowIfReadFailed();
    } catch (...) {
        if (doc)
            xmlFreeDoc(doc);
        throw;
    }
    try {
        TakeResult(doc, m_fileName, file.Size());
    } catch (const TXmlFileTooLarge&) {
        throw;
    } catch (const TXmlError&) {
        // Only a document that failed is looked at again, so valid ones cost nothing more.
        const QByteArray bytes = ReadWholeFile();
        if (!ReadsAsWindows1251(bytes))
            throw;
        Parse(bytes, m_fileName, "windows-1251");
    }
}

QByteArray TXMLDocument::ReadWholeFile() const {
    TDocumentFile file(m_nativeName, m_fileName, m_kind);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const int n = TDocumentFile::Read(&file, buffer, int(sizeof buffer));
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    file.ThrowIfReadFailed();
    return bytes;
}

void TXMLDocument::TakeResult(void* parsed, const QString& origin, qint64 size) {
    xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(m_ctxt);
    xmlDocPtr doc = static_cast<xmlDocPtr>(parsed);
    // A null origin is the file, whose name is decoded only for a message.
    const auto where = [&] { return origin.isNull() ? FileName() : origin; };
    QString message;
    if (!doc || !ctxt->wellFormed) {
        const xmlError* err = xmlCtxtGetLastError(ctxt);
        // libxml2's own texts are English: the reader gets the table's.
        QString reason = err ? XmlErrorText(err->code) : QStringLiteral("документ пуст или повреждён");
        const int line = err ? err->line : 0;
        message = line > 0
                      ? QStringLiteral("Ошибка в XML (%1, строка %2): %3").arg(where()).arg(line).arg(reason)
                      : QStringLiteral("Ошибка в XML (%1): %2").arg(where(), reason);
        if (doc)
            xmlFreeDoc(doc);
        doc = nullptr;
    }
    if (!doc)
        throw TXmlError(message);
    if (!xmlDocGetRootElement(doc)) {
        xmlFreeDoc(doc);
        throw TXmlError(QStringLiteral("Ошибка в XML (%1): нет корневого элемента").arg(where()));
    }
    // Checked once the document is parsed: references are kept as references until read, so
    // parsing costs no more than the file, while reading them would make the text they stand for.
    const qint64 budget = EntityExpansionBudget(size);
    if (EntityExpansionSize(doc, budget) > budget) {
        xmlFreeDoc(doc);
        throw TXmlFileTooLarge(
            QStringLiteral(
                "Ошибка в XML (%1): объявленные в документе сущности разворачиваются в текст больше %2")
                .arg(where(), DataSizeText(budget)));
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
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const int error = errno;
        throw TXmlError(
            QStringLiteral("Не удалось сохранить файл \"%1\": %2").arg(fileName, FileErrorText(file, error)));
    }
}
