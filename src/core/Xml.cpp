#include "core/Xml.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"

#include <QDir>
#include <QXmlStreamReader>
#include <cstring>
#include <sstream>

namespace sw::xml {

namespace {

// Comments and the like stay nodes, so that a value holding one is told apart from plain text; a
// value made only of blanks stays a value.
constexpr unsigned ParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi
    | pugi::parse_doctype | pugi::parse_ws_pcdata_single;

QString fromPugi(const char *text)
{
    return QString::fromUtf8(text);
}

// The characters that an XML 1.0 document can hold, literally or as a character reference.
bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// A text that cannot be written so that it reads back the same throws, naming what it belongs to.
void requireXmlText(const QString &text, const char *owner)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (text[i].isSurrogate()) {
            c = 0xFFFF; // a lone half of a pair is no character at all
        }
        if (!isXmlChar(c)) {
            throw Error(QStringLiteral("the value of %1 holds the character U+%2, which an XML document cannot hold")
                            .arg(QString::fromUtf8(owner))
                            .arg(QStringLiteral("%1")
                                     .arg(static_cast<uint>(text[i].unicode()), 4, 16, QLatin1Char('0'))
                                     .toUpper()));
        }
    }
}

// Where the first element that carries more than MaxAttributes attributes starts, as a line and
// column (1-based), counting its "=" signs between "<" and ">" outside quotes; nullopt when there
// is none. Comments, CDATA sections, processing instructions and declarations are skipped. Runs
// in one pass over the bytes.
std::optional<std::pair<int, qsizetype>> crowdedElement(const QByteArray &bytes)
{
    const QByteArrayView view(bytes);
    int line = 1;
    qsizetype lineStart = 0;
    // Moves past everything up to `end` (or the end of the bytes), counting lines.
    const auto skip = [&](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k) {
            if (view[k] == '\n') {
                ++line;
                lineStart = k + 1;
            }
        }
        return to;
    };
    const auto after = [&](qsizetype from, const char *end) {
        const qsizetype at = view.indexOf(end, from);
        return at < 0 ? view.size() : at + qsizetype(std::strlen(end));
    };
    qsizetype i = 0;
    while (i < view.size()) {
        const QByteArrayView rest = view.sliced(i);
        if (view[i] != '<')
            i = skip(i, i + 1);
        else if (rest.startsWith("<!--"))
            i = skip(i, after(i + 4, "-->"));
        else if (rest.startsWith("<![CDATA["))
            i = skip(i, after(i + 9, "]]>"));
        else if (rest.startsWith("<?") || rest.startsWith("<!"))
            i = skip(i, after(i + 2, ">"));
        else {
            const std::pair<int, qsizetype> start { line, i - lineStart + 1 };
            int attributes = 0;
            char quote = 0;
            qsizetype k = i + 1;
            for (; k < view.size() && (quote || view[k] != '>'); ++k) {
                const char c = view[k];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=' && ++attributes > MaxAttributes) {
                    return start;
                }
            }
            i = skip(i, k);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> wellFormednessProblem(const QByteArray &bytes)
{
    if (const auto where = crowdedElement(bytes))
        return QStringLiteral("line %1, column %2: an element with more than %3 attributes")
            .arg(where->first)
            .arg(where->second)
            .arg(MaxAttributes);
    // pugixml builds the tree but accepts many malformed inputs silently (bad encoding, bad
    // character references, unknown entities, duplicate attributes, extra content); Qt's reader
    // conforms to XML 1.0, so every document passes it first and is only then built by pugixml.
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        // pugixml leaves entity references other than the predefined five as literal text, so a
        // document that declares or uses its own entities would read differently: refuse it.
        // External entities are never loaded by either parser.
        if (token == QXmlStreamReader::DTD && !reader.entityDeclarations().isEmpty())
            reader.raiseError(QStringLiteral("Entity declarations are not supported."));
        else if (token == QXmlStreamReader::EntityReference)
            reader.raiseError(QStringLiteral("Entity '%1' is not supported.").arg(reader.name().toString()));
    }
    if (!reader.hasError())
        return std::nullopt;
    return QStringLiteral("line %1, column %2: %3")
        .arg(reader.lineNumber())
        .arg(reader.columnNumber())
        .arg(reader.errorString());
}

std::optional<QString> loadBytes(pugi::xml_document &doc, const QByteArray &bytes, unsigned extraParseOptions)
{
    if (auto problem = wellFormednessProblem(bytes)) {
        doc.reset();
        return problem;
    }
    const pugi::xml_parse_result result = doc.load_buffer(
        bytes.constData(), static_cast<size_t>(bytes.size()), ParseOptions | extraParseOptions, pugi::encoding_auto);
    if (result)
        return std::nullopt;
    return QStringLiteral("%1 at offset %2").arg(QString::fromUtf8(result.description())).arg(result.offset);
}

void loadFile(pugi::xml_document &doc, const QString &path, unsigned extraParseOptions)
{
    const QByteArray bytes = files::readFileBytes(path);
    if (const auto problem = loadBytes(doc, bytes, extraParseOptions))
        throw Error(QStringLiteral("\"%1\" is not a well-formed XML document: %2")
                        .arg(QDir::toNativeSeparators(path), *problem));
}

pugi::xml_node rootElement(const pugi::xml_document &doc)
{
    return doc.document_element();
}

pugi::xml_node childElement(pugi::xml_node parent, const char *name)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && std::strcmp(child.name(), name) == 0)
            return child;
    }
    return {};
}

std::optional<QString> elementText(pugi::xml_node element)
{
    if (!element || element.type() != pugi::node_element)
        return std::nullopt;
    const pugi::xml_node first = element.first_child();
    if (!first)
        return QString();
    if (first.next_sibling())
        return std::nullopt;
    if (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata)
        return std::nullopt;
    return fromPugi(first.value());
}

std::optional<QString> childText(pugi::xml_node parent, const char *name)
{
    return elementText(childElement(parent, name));
}

std::optional<QString> attribute(pugi::xml_node node, const char *name)
{
    const pugi::xml_attribute attr = node.attribute(name);
    if (!attr)
        return std::nullopt;
    return fromPugi(attr.value());
}

pugi::xml_node appendTextElement(pugi::xml_node parent, const char *name, const QString &text)
{
    requireXmlText(text, name);
    pugi::xml_node element = parent.append_child(name);
    if (!text.isEmpty())
        element.append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
    return element;
}

void setAttribute(pugi::xml_node node, const char *name, const QString &value)
{
    requireXmlText(value, name);
    node.append_attribute(name).set_value(value.toUtf8().constData());
}

pugi::xml_node resetWithRoot(pugi::xml_document &doc, const char *rootName, bool versionComment)
{
    doc.reset();
    pugi::xml_node root = doc.append_child(rootName);
    if (versionComment)
        doc.append_child(pugi::node_comment).set_value(VersionComment);
    return root;
}

QByteArray toBytes(const pugi::xml_document &doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    const std::string s = out.str();
    QByteArray bytes(s.data(), static_cast<qsizetype>(s.size()));
    // pugixml escapes CR, LF and tab in attributes but writes a CR in element text raw, and every
    // reader turns a raw CR into a line feed. Raw output has no line breaks of its own and the
    // version comment holds none, so every CR here belongs to a value.
    bytes.replace("\r", "&#13;");
    return bytes;
}

void saveFile(const pugi::xml_document &doc, const QString &path)
{
    files::saveBytes(toBytes(doc), path);
}

} // namespace sw::xml
