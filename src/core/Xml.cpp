#include "core/Xml.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstring>
#include <sstream>

namespace sw::xml {

namespace {

// Declarations, comments and the like stay nodes so that "first top-level node" means what the
// file holds; a value made only of blanks stays a value.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments
    | pugi::parse_pi | pugi::parse_doctype | pugi::parse_ws_pcdata_single;

QString fromPugi(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

std::optional<QString> loadBytes(pugi::xml_document &doc, const QByteArray &bytes, unsigned extraParseOptions)
{
    const pugi::xml_parse_result result = doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()),
        kParseOptions | extraParseOptions, pugi::encoding_auto);
    if (result)
        return std::nullopt;
    return QStringLiteral("%1 at offset %2").arg(QString::fromUtf8(result.description())).arg(result.offset);
}

void loadFile(pugi::xml_document &doc, const QString &path, unsigned extraParseOptions)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (const auto problem = loadBytes(doc, bytes, extraParseOptions))
        throw Error(QStringLiteral("\"%1\" is not a valid XML document: %2").arg(QDir::toNativeSeparators(path), *problem));
}

pugi::xml_node firstTopLevel(const pugi::xml_document &doc)
{
    return doc.first_child();
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
    pugi::xml_node element = parent.append_child(name);
    if (!text.isEmpty())
        element.append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
    return element;
}

void setAttribute(pugi::xml_node node, const char *name, const QString &value)
{
    node.append_attribute(name).set_value(value.toUtf8().constData());
}

pugi::xml_node resetWithRoot(pugi::xml_document &doc, const char *rootName, bool versionComment)
{
    doc.reset();
    pugi::xml_node root = doc.append_child(rootName);
    if (versionComment)
        doc.append_child(pugi::node_comment).set_value(Version_Comment);
    return root;
}

QByteArray toBytes(const pugi::xml_document &doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

void saveBytes(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

void saveFile(const pugi::xml_document &doc, const QString &path)
{
    saveBytes(toBytes(doc), path);
}

std::optional<qint64> toInteger(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int i = 0;
    if (t[0] == u'+' || t[0] == u'-')
        i = 1;
    if (i >= t.size())
        return std::nullopt;
    for (int k = i; k < t.size(); ++k) {
        if (t[k] < u'0' || t[k] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace sw::xml
