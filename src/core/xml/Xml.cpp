#include "core/xml/Xml.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"
#include "core/xml/ConformingReader.h"
#include "core/xml/PlainReader.h"

#include <QDir>
#include <cstring>
#include <sstream>
#include <string>

namespace sw::xml {

namespace {

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

} // namespace

std::optional<QString> wellFormednessProblem(const QByteArray &bytes)
{
    pugi::xml_document doc;
    return loadBytes(doc, bytes);
}

std::optional<QString> loadBytes(pugi::xml_document &doc, const QByteArray &bytes)
{
    // The plain reader takes the documents this program writes, at a fraction of the cost; it
    // declines everything else, which the conforming parser then reads or refuses.
    if (readPlainDocument(doc, bytes.constData(), size_t(bytes.size())))
        return std::nullopt;
    return loadBytesConforming(doc, bytes);
}

void loadFile(pugi::xml_document &doc, const QString &path)
{
    const QByteArray bytes = files::readFileBytes(path);
    if (const auto problem = loadBytes(doc, bytes))
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
