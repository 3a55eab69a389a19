#include "core/xml/ConformingReader.h"

#include "core/xml/Limits.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <expat.h>
#include <string>
#include <string_view>
#include <vector>

namespace sw::xml {

namespace {

// Builds the pugixml tree from a conforming parser (expat) in one pass, node for node as
// pugixml's own parser builds it: declarations, comments, processing instructions and the
// document type stay nodes; text between two pieces of markup is one node, references resolved
// and line ends normalised; text made only of literal blanks is kept only as the single content
// of its element.
class TreeBuilder
{
public:
    TreeBuilder(pugi::xml_document &doc, const QByteArray &bytes)
        : m_doc(doc)
        , m_bytes(bytes)
        , m_parser(XML_ParserCreate(nullptr))
        , m_cursor(doc)
    {
    }
    ~TreeBuilder() { XML_ParserFree(m_parser); }
    TreeBuilder(const TreeBuilder &) = delete;
    TreeBuilder &operator=(const TreeBuilder &) = delete;

    std::optional<QString> run()
    {
        if (!m_parser)
            return QStringLiteral("out of memory");
        XML_SetUserData(m_parser, this);
        XML_SetXmlDeclHandler(m_parser, &TreeBuilder::onDeclaration);
        XML_SetDoctypeDeclHandler(m_parser, &TreeBuilder::onDoctype, &TreeBuilder::onDoctypeEnd);
        XML_SetElementHandler(m_parser, &TreeBuilder::onStart, &TreeBuilder::onEnd);
        XML_SetCharacterDataHandler(m_parser, &TreeBuilder::onText);
        XML_SetCdataSectionHandler(m_parser, &TreeBuilder::onCdataStart, &TreeBuilder::onCdataEnd);
        XML_SetCommentHandler(m_parser, &TreeBuilder::onComment);
        XML_SetProcessingInstructionHandler(m_parser, &TreeBuilder::onPi);
        XML_SetEntityDeclHandler(m_parser, &TreeBuilder::onEntityDecl);
        XML_SetSkippedEntityHandler(m_parser, &TreeBuilder::onSkippedEntity);
        XML_SetUnknownEncodingHandler(m_parser, &TreeBuilder::onUnknownEncoding, nullptr);
        if (size_t(m_bytes.size()) > MaxDocumentBytes)
            return QStringLiteral("the document is too large");
        if (XML_Parse(m_parser, m_bytes.constData(), int(m_bytes.size()), XML_TRUE) == XML_STATUS_OK)
            return std::nullopt;
        if (m_problem)
            return m_problem;
        return where(XML_GetErrorLineNumber(m_parser), XML_GetErrorColumnNumber(m_parser))
            + QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser)));
    }

private:
    static TreeBuilder &self(void *data) { return *static_cast<TreeBuilder *>(data); }

    static QString where(XML_Size line, XML_Size column)
    {
        return QStringLiteral("line %1, column %2: ").arg(line).arg(column + 1);
    }

    // Documents that declare or use entities of their own are refused: they would not read the
    // same everywhere. External entities are never loaded.
    void refuse(const QString &reason)
    {
        if (!m_problem)
            m_problem = where(XML_GetCurrentLineNumber(m_parser), XML_GetCurrentColumnNumber(m_parser)) + reason;
        XML_StopParser(m_parser, XML_FALSE);
    }

    // Ends the text gathered since the last markup; `beforeEndTag` when the end tag of the
    // current element follows it.
    void flushText(bool beforeEndTag)
    {
        if (!m_hasText)
            return;
        if (!m_textIsBlank || (beforeEndTag && !m_cursor.first_child()))
            m_cursor.append_child(pugi::node_pcdata).set_value(m_text.data(), m_text.size());
        m_text.clear();
        m_hasText = false;
        m_textIsBlank = true;
    }

    // Whether the event being reported starts with "&": a reference, not literal text.
    bool atReference() const
    {
        const XML_Index at = XML_GetCurrentByteIndex(m_parser);
        if (at < 0 || at >= m_bytes.size())
            return false;
        const char first = m_bytes[at];
        // UTF-16 input holds "&" next to a zero byte.
        return first == '&' || (first == 0 && at + 1 < m_bytes.size() && m_bytes[at + 1] == '&');
    }

    static void XMLCALL onDeclaration(void *data, const XML_Char *version, const XML_Char *encoding, int standalone)
    {
        TreeBuilder &b = self(data);
        if (version && std::strcmp(version, "1.0") != 0)
            return b.refuse(QStringLiteral("Unsupported XML version."));
        pugi::xml_node decl = b.m_doc.append_child(pugi::node_declaration);
        if (version)
            decl.append_attribute("version").set_value(version);
        if (encoding)
            decl.append_attribute("encoding").set_value(encoding);
        if (standalone >= 0)
            decl.append_attribute("standalone").set_value(standalone ? "yes" : "no");
    }

    static void XMLCALL onDoctype(
        void *data, const XML_Char *name, const XML_Char *systemId, const XML_Char *publicId, int)
    {
        TreeBuilder &b = self(data);
        // A conforming reader may take any character but the quote in these literals; the readers
        // this program has always used refuse markup characters there, and so does this one.
        for (const XML_Char *literal : { systemId, publicId }) {
            if (literal && std::strpbrk(literal, "<&"))
                return b.refuse(
                    QStringLiteral("Unexpected '%1'.").arg(QChar::fromLatin1(*std::strpbrk(literal, "<&"))));
        }
        b.m_doctype = b.m_doc.append_child(pugi::node_doctype);
        b.m_doctype.set_value(name);
        // Reported after the name: the declaration itself starts before.
        b.m_doctypeStart = QByteArrayView(b.m_bytes).lastIndexOf("<!DOCTYPE", XML_GetCurrentByteIndex(b.m_parser));
    }

    // The document type's node holds its text as written, from its name to before the closing
    // ">", when the document is in a byte-oriented encoding.
    static void XMLCALL onDoctypeEnd(void *data)
    {
        TreeBuilder &b = self(data);
        const XML_Index end = XML_GetCurrentByteIndex(b.m_parser) + XML_GetCurrentByteCount(b.m_parser);
        if (b.m_doctypeStart < 0 || end <= b.m_doctypeStart || end > b.m_bytes.size() || b.m_bytes.contains('\0'))
            return;
        QByteArrayView text = QByteArrayView(b.m_bytes).sliced(b.m_doctypeStart, end - b.m_doctypeStart);
        if (!text.endsWith(">"))
            return;
        text = text.sliced(9).chopped(1);
        while (!text.isEmpty() && isBlank(text.front()))
            text = text.sliced(1);
        b.m_doctype.set_value(text.data(), size_t(text.size()));
    }

    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    // Namespace well-formedness, as a namespace-aware reader checks it: one colon at most in a
    // name, each prefix declared, declarations that bind no reserved name, no attribute twice
    // under the same namespace. The tree keeps the names as written.
    bool checkNamespaces(const XML_Char *element, const XML_Char **attributes, int count)
    {
        static constexpr char XmlNamespace[] = "http://www.w3.org/XML/1998/namespace";
        static constexpr char XmlnsNamespace[] = "http://www.w3.org/2000/xmlns/";
        m_scopes.push_back(m_bindings.size());
        for (int i = 0; i + 1 < count; i += 2) {
            const std::string_view name(attributes[i]);
            const std::string_view uri(attributes[i + 1]);
            if (name == "xmlns") {
                if (uri == XmlNamespace || uri == XmlnsNamespace)
                    return refuseFalse(QStringLiteral("Illegal namespace declaration."));
                m_bindings.emplace_back(std::string(), std::string(uri));
            } else if (name.starts_with("xmlns:")) {
                const std::string_view prefix = name.substr(6);
                if (!isQName(name))
                    return refuseFalse(QStringLiteral("Invalid XML name."));
                if ((prefix == "xml") != (uri == XmlNamespace) || uri == XmlnsNamespace || uri.empty()
                    || prefix == "xmlns")
                    return refuseFalse(QStringLiteral("Illegal namespace declaration."));
                m_bindings.emplace_back(std::string(prefix), std::string(uri));
            }
        }
        if (!isQName(element, true))
            return refuseFalse(QStringLiteral("Invalid XML name."));
        if (!namespaceOf(element))
            return false;
        std::vector<std::pair<std::string_view, std::string_view>> seen; // namespace, local name
        for (int i = 0; i + 1 < count; i += 2) {
            const std::string_view name(attributes[i]);
            if (name == "xmlns" || name.starts_with("xmlns:"))
                continue;
            if (!isQName(name))
                return refuseFalse(QStringLiteral("Invalid XML name."));
            const std::optional<std::string_view> uri = namespaceOf(name);
            if (!uri)
                return false;
            const std::string_view local = name.substr(name.find(':') + 1);
            for (const auto &[otherUri, otherLocal] : seen) {
                if (otherLocal == local && otherUri == *uri)
                    return refuseFalse(QStringLiteral("Attribute '%1' redefined.").arg(QString::fromUtf8(name)));
            }
            seen.emplace_back(*uri, local);
        }
        return true;
    }

    bool refuseFalse(const QString &reason)
    {
        refuse(reason);
        return false;
    }

    // A name with one colon at most, not first; for an element, the part after the colon must
    // start as a name may start.
    static bool isQName(std::string_view name, bool element = false)
    {
        const size_t colon = name.find(':');
        if (colon == std::string_view::npos)
            return true;
        const std::string_view local = name.substr(colon + 1);
        if (colon == 0 || local.empty() || local.find(':') != std::string_view::npos)
            return false;
        if (!element)
            return true;
        const unsigned char first = static_cast<unsigned char>(local.front());
        if (first < 0x80)
            return first == '_' || (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
        const QString start = QString::fromUtf8(local.data(), qsizetype(std::min<size_t>(local.size(), 4)));
        return !start.isEmpty() && start.front().isLetter();
    }

    // The namespace a prefixed name is in ("" without a prefix); nullopt, with the document
    // refused, for a prefix that is not declared.
    std::optional<std::string_view> namespaceOf(std::string_view name)
    {
        const size_t colon = name.find(':');
        if (colon == std::string_view::npos)
            return std::string_view();
        const std::string_view prefix = name.substr(0, colon);
        for (auto it = m_bindings.rbegin(); it != m_bindings.rend(); ++it) {
            if (it->first == prefix)
                return std::string_view(it->second);
        }
        if (prefix == "xml")
            return std::string_view("http://www.w3.org/XML/1998/namespace");
        refuse(QStringLiteral("Namespace prefix '%1' not declared").arg(QString::fromUtf8(prefix)));
        return std::nullopt;
    }

    static void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **attributes)
    {
        TreeBuilder &b = self(data);
        b.flushText(false);
        // Only the attributes the document holds, in its order; none from a declared default.
        const int specified = XML_GetSpecifiedAttributeCount(b.m_parser);
        if (specified / 2 > MaxAttributes) {
            return b.refuse(QStringLiteral("an element with more than %1 attributes").arg(MaxAttributes));
        }
        if (!b.checkNamespaces(name, attributes, specified))
            return;
        b.m_cursor = b.m_cursor.append_child(name);
        for (int i = 0; i + 1 < specified; i += 2)
            b.m_cursor.append_attribute(attributes[i]).set_value(attributes[i + 1]);
    }

    static void XMLCALL onEnd(void *data, const XML_Char *)
    {
        TreeBuilder &b = self(data);
        b.flushText(true);
        b.m_cursor = b.m_cursor.parent();
        b.m_bindings.resize(b.m_scopes.back());
        b.m_scopes.pop_back();
    }

    static void XMLCALL onText(void *data, const XML_Char *text, int length)
    {
        TreeBuilder &b = self(data);
        if (b.m_inCdata) {
            b.m_cdata.append(text, size_t(length));
            return;
        }
        if (b.m_textIsBlank) {
            const bool blank = std::all_of(text, text + length, isBlank);
            b.m_textIsBlank = blank && !b.atReference();
        }
        b.m_text.append(text, size_t(length));
        b.m_hasText = true;
    }

    static void XMLCALL onCdataStart(void *data)
    {
        TreeBuilder &b = self(data);
        b.flushText(false);
        b.m_inCdata = true;
        b.m_cdata.clear();
    }

    static void XMLCALL onCdataEnd(void *data)
    {
        TreeBuilder &b = self(data);
        b.m_cursor.append_child(pugi::node_cdata).set_value(b.m_cdata.data(), b.m_cdata.size());
        b.m_inCdata = false;
    }

    static void XMLCALL onComment(void *data, const XML_Char *text)
    {
        TreeBuilder &b = self(data);
        b.flushText(false);
        b.m_cursor.append_child(pugi::node_comment).set_value(text);
    }

    static void XMLCALL onPi(void *data, const XML_Char *target, const XML_Char *text)
    {
        TreeBuilder &b = self(data);
        b.flushText(false);
        pugi::xml_node pi = b.m_cursor.append_child(pugi::node_pi);
        pi.set_name(target);
        pi.set_value(text);
    }

    static void XMLCALL onEntityDecl(void *data, const XML_Char *, int, const XML_Char *, int, const XML_Char *,
        const XML_Char *, const XML_Char *, const XML_Char *)
    {
        self(data).refuse(QStringLiteral("Entity declarations are not supported."));
    }

    static void XMLCALL onSkippedEntity(void *data, const XML_Char *name, int)
    {
        self(data).refuse(QStringLiteral("Entity '%1' is not supported.").arg(QString::fromUtf8(name)));
    }

    // Single-byte encodings beyond expat's own (UTF-8, UTF-16, ISO-8859-1, US-ASCII), decoded as
    // Qt decodes them; a byte that does not stand for one character alone is refused where it
    // appears.
    static int XMLCALL onUnknownEncoding(void *, const XML_Char *name, XML_Encoding *info)
    {
        QStringDecoder probe(name);
        if (!probe.isValid())
            return XML_STATUS_ERROR;
        for (int byte = 0; byte < 256; ++byte) {
            QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
            const char c = char(byte);
            const QString decoded = decoder.decode(QByteArrayView(&c, 1));
            const bool single = decoded.size() == 1 && !decoded[0].isSurrogate() && !decoder.hasError()
                && (decoded[0] != QChar::ReplacementCharacter);
            info->map[byte] = single ? decoded[0].unicode() : -1;
        }
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        return XML_STATUS_OK;
    }

    pugi::xml_document &m_doc;
    const QByteArray &m_bytes;
    XML_Parser m_parser;
    pugi::xml_node m_cursor;
    std::string m_text;
    std::string m_cdata;
    bool m_hasText = false;
    bool m_textIsBlank = true;
    bool m_inCdata = false;
    std::optional<QString> m_problem;
    pugi::xml_node m_doctype;
    XML_Index m_doctypeStart = -1;
    // Namespace declarations in scope, innermost last, and where each open element's begin.
    std::vector<std::pair<std::string, std::string>> m_bindings;
    std::vector<size_t> m_scopes;
};

} // namespace

std::optional<QString> loadBytesConforming(pugi::xml_document &doc, const QByteArray &bytes)
{
    doc.reset();
    std::optional<QString> problem = TreeBuilder(doc, bytes).run();
    if (problem)
        doc.reset();
    return problem;
}

} // namespace sw::xml
