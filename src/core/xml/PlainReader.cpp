// A strict one-pass reader for the plain XML that this program writes and people write by hand:
// UTF-8 with an optional byte-order mark; an optional declaration of version "1.0" with, at most,
// encoding "UTF-8" (any case) and standalone "yes" or "no"; elements and attributes whose names are
// plain ASCII without a colon; text, the five predefined and numeric character references,
// comments and CDATA sections. For those it builds the very tree that the conforming reader
// (ConformingReader.cpp) builds, several times faster. Everything else it declines, malformed or
// merely unusual (a document type, a processing instruction, another encoding, a namespace, a
// non-ASCII name): the conforming parser then reads the document, so it alone decides what is
// refused and words every message. Declining costs only time; accepting what that parser would
// refuse is the fault to avoid, so when in doubt this reader declines.
#include "core/xml/PlainReader.h"

#include "core/xml/Limits.h"

#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sw::xml {

namespace {

using Byte = unsigned char;

constexpr bool isBlank(Byte c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr bool isNameStart(Byte c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

constexpr bool isNameChar(Byte c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Bytes that stand for themselves in element text, attribute values, comments and CDATA sections:
// printable ASCII less the bytes each of them treats specially. Every other byte takes the slow
// path, which checks and, where needed, rewrites it.
struct Tables
{
    std::array<bool, 256> text {};
    std::array<bool, 256> attribute {};
    std::array<bool, 256> comment {};
    std::array<bool, 256> cdata {};
    std::array<bool, 256> name {};
};

constexpr Tables makeTables()
{
    Tables t;
    for (int c = 0x20; c < 0x80; ++c) {
        t.text[c] = c != '<' && c != '&' && c != ']';
        t.attribute[c] = c != '<' && c != '&' && c != '"' && c != '\'';
        t.comment[c] = c != '-';
        t.cdata[c] = c != ']';
        t.name[c] = isNameChar(Byte(c));
    }
    // Line feeds and tabs stand for themselves except in attribute values, where they become spaces.
    for (Byte c : { Byte('\t'), Byte('\n') }) {
        t.text[c] = true;
        t.comment[c] = true;
        t.cdata[c] = true;
    }
    return t;
}

constexpr Tables Plain = makeTables();

// The first byte from `p` on that is not plain in its context (`plain`, whose markup characters
// are `Markup`), or `end`. Looks at sixteen bytes at a time where it can: a block is passed over
// when it holds no control character, no byte beyond ASCII and no markup character.
template <char... Markup> const Byte *skipPlain(const std::array<bool, 256> &plain, const Byte *p, const Byte *end)
{
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        // Signed, so bytes beyond ASCII count as below 0x20 too.
        __m128i special = _mm_cmplt_epi8(block, _mm_set1_epi8(0x20));
        ((special = _mm_or_si128(special, _mm_cmpeq_epi8(block, _mm_set1_epi8(Markup)))), ...);
        const unsigned mask = unsigned(_mm_movemask_epi8(special));
        if (mask == 0) {
            p += 16;
            continue;
        }
        p += std::countr_zero(mask);
        if (!plain[*p])
            return p;
        ++p; // a tab or a line feed that the context keeps as it is
    }
#endif
    while (p < end && plain[*p])
        ++p;
    return p;
}

const Byte *skipText(const Byte *p, const Byte *end)
{
    return skipPlain<'<', '&', ']'>(Plain.text, p, end);
}

const Byte *skipAttribute(const Byte *p, const Byte *end)
{
    return skipPlain<'<', '&', '"', '\''>(Plain.attribute, p, end);
}

// The characters an XML 1.0 document may hold.
constexpr bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of the UTF-8 sequence at `p`, whose first byte is not ASCII, when it encodes a
// character XML allows; 0 when it is malformed, overlong, a surrogate, U+FFFE, U+FFFF or beyond
// U+10FFFF.
size_t xmlCharLength(const Byte *p, const Byte *end)
{
    const auto follows = [&](size_t n) {
        if (size_t(end - p) < n + 1)
            return false;
        for (size_t i = 1; i <= n; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        return true;
    };
    const Byte lead = p[0];
    if (lead >= 0xC2 && lead <= 0xDF)
        return follows(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!follows(2) || (lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] >= 0xA0)
            || (lead == 0xEF && p[1] == 0xBF && p[2] >= 0xBE))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!follows(3) || (lead == 0xF0 && p[1] < 0x90) || (lead == 0xF4 && p[1] >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool allBlank(const char *data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (!isBlank(Byte(data[i])))
            return false;
    }
    return true;
}

// A piece of text or a value as it goes into the tree: in the document's bytes when it needed no
// rewriting, otherwise in the reader's buffer.
struct Value
{
    const char *data = nullptr;
    size_t size = 0;
};

class PlainReader
{
public:
    PlainReader(pugi::xml_document &doc, const char *data, size_t size)
        : m_doc(doc)
        , m_p(reinterpret_cast<const Byte *>(data))
        , m_end(reinterpret_cast<const Byte *>(data) + size)
    {
    }

    bool read()
    {
        if (startsWith("\xEF\xBB\xBF"))
            m_p += 3;
        if (startsWith("<?") && !declaration())
            return false;
        bool rooted = false;
        for (;;) {
            skipBlanks();
            if (m_p == m_end)
                return rooted;
            if (startsWith("<!--")) {
                if (!comment(m_doc))
                    return false;
            } else if (!rooted && m_end - m_p >= 2 && m_p[0] == '<' && isNameStart(m_p[1])) {
                if (!rootElement())
                    return false;
                rooted = true;
            } else {
                return false;
            }
        }
    }

private:
    template <size_t N> bool startsWith(const char (&s)[N]) const
    {
        return size_t(m_end - m_p) >= N - 1 && std::memcmp(m_p, s, N - 1) == 0;
    }

    // Skips blanks; whether there were any.
    bool skipBlanks()
    {
        const Byte *from = m_p;
        const Byte *p = m_p;
        while (p < m_end && isBlank(*p))
            ++p;
        m_p = p;
        return p != from;
    }

    // `<?xml version="1.0" encoding="UTF-8" standalone="yes"?>`, the last two optional, recorded as
    // the conforming parser records it.
    bool declaration()
    {
        if (!startsWith("<?xml"))
            return false;
        m_p += 5;
        std::string_view value;
        if (!skipBlanks() || !pseudoAttribute("version", value) || value != "1.0")
            return false;
        pugi::xml_node decl = m_doc.append_child(pugi::node_declaration);
        decl.append_attribute("version").set_value("1.0");
        bool blank = skipBlanks();
        if (blank && startsWith("encoding")) {
            if (!pseudoAttribute("encoding", value) || value.size() != 5 || (value[0] | 0x20) != 'u'
                || (value[1] | 0x20) != 't' || (value[2] | 0x20) != 'f' || value.substr(3) != "-8")
                return false;
            decl.append_attribute("encoding").set_value(value.data(), value.size());
            blank = skipBlanks();
        }
        if (blank && startsWith("standalone")) {
            if (!pseudoAttribute("standalone", value) || (value != "yes" && value != "no"))
                return false;
            decl.append_attribute("standalone").set_value(value.data(), value.size());
            skipBlanks();
        }
        if (!startsWith("?>"))
            return false;
        m_p += 2;
        return true;
    }

    // name = "value" in the declaration, blanks allowed around "=".
    template <size_t N> bool pseudoAttribute(const char (&name)[N], std::string_view &value)
    {
        if (!startsWith(name))
            return false;
        m_p += N - 1;
        skipBlanks();
        if (m_p == m_end || *m_p != '=')
            return false;
        ++m_p;
        skipBlanks();
        if (m_p == m_end || (*m_p != '"' && *m_p != '\''))
            return false;
        const Byte quote = *m_p++;
        const Byte *start = m_p;
        while (m_p < m_end && *m_p != quote && *m_p != '<' && *m_p != '>')
            ++m_p;
        if (m_p == m_end || *m_p != quote)
            return false;
        value = std::string_view(reinterpret_cast<const char *>(start), size_t(m_p - start));
        ++m_p;
        return true;
    }

    // A name of ASCII name characters starting at the current byte; false when there is none. The
    // caller checks the byte after it, which refuses colons and other characters.
    bool name(std::string_view &out)
    {
        const Byte *start = m_p;
        if (m_p == m_end || !isNameStart(*m_p))
            return false;
        const Byte *p = m_p + 1;
        while (p < m_end && Plain.name[*p])
            ++p;
        m_p = p;
        out = std::string_view(reinterpret_cast<const char *>(start), size_t(p - start));
        return true;
    }

    // The same name, ended by a zero byte, as pugixml takes it.
    const char *terminated(std::string_view name)
    {
        if (name.size() < m_shortName.size()) {
            std::memcpy(m_shortName.data(), name.data(), name.size());
            m_shortName[name.size()] = 0;
            return m_shortName.data();
        }
        m_name.assign(name);
        return m_name.c_str();
    }

    // The reference at "&": one of the five predefined entities or a character reference to a
    // character XML allows. Appends what it stands for to m_buffer.
    bool reference()
    {
        ++m_p;
        if (m_p < m_end && *m_p == '#') {
            ++m_p;
            const bool hex = m_p < m_end && *m_p == 'x';
            if (hex)
                ++m_p;
            const Byte *digits = m_p;
            char32_t code = 0;
            for (; m_p < m_end && *m_p != ';'; ++m_p) {
                const Byte c = *m_p;
                unsigned digit;
                if (c >= '0' && c <= '9')
                    digit = c - '0';
                else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                    digit = (c | 0x20) - 'a' + 10;
                else
                    return false;
                code = code * (hex ? 16 : 10) + digit;
                if (code > 0x10FFFF)
                    return false;
            }
            if (m_p == m_end || m_p == digits || !isXmlChar(code))
                return false;
            ++m_p;
            appendUtf8(m_buffer, code);
            return true;
        }
        const auto predefined = [this](const auto &entity, char c) {
            if (!startsWith(entity))
                return false;
            m_p += sizeof(entity) - 1;
            m_buffer += c;
            return true;
        };
        return predefined("amp;", '&') || predefined("lt;", '<') || predefined("gt;", '>') || predefined("quot;", '"')
            || predefined("apos;", '\'');
    }

    // A character outside the plain bytes of the current context, passed on unchanged when XML
    // allows it there; carriage returns, references and the context's own markup are the
    // caller's.
    bool otherCharacter()
    {
        const Byte c = *m_p;
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n')
                return false;
            m_buffer += char(c);
            ++m_p;
            return true;
        }
        const size_t length = xmlCharLength(m_p, m_end);
        if (length == 0)
            return false;
        m_buffer.append(reinterpret_cast<const char *>(m_p), length);
        m_p += length;
        return true;
    }

    // A carriage return, alone or before a line feed, read as one line feed (a space in attribute
    // values).
    void lineEnd(char as)
    {
        ++m_p;
        if (m_p < m_end && *m_p == '\n')
            ++m_p;
        m_buffer += as;
    }

    // Text up to the next "<" or the end of the input. `blank` when it is only literal blanks.
    bool text(Value &out, bool &blank)
    {
        const Byte *start = m_p;
        m_p = skipText(m_p, m_end);
        if (m_p == m_end || *m_p == '<') {
            out = { reinterpret_cast<const char *>(start), size_t(m_p - start) };
            blank = allBlank(out.data, out.size);
            return true;
        }
        m_buffer.assign(reinterpret_cast<const char *>(start), size_t(m_p - start));
        bool referenced = false;
        while (m_p < m_end && *m_p != '<') {
            const Byte *run = m_p;
            m_p = skipText(m_p, m_end);
            m_buffer.append(reinterpret_cast<const char *>(run), size_t(m_p - run));
            if (m_p == m_end || *m_p == '<')
                break;
            if (*m_p == '&') {
                if (!reference())
                    return false;
                referenced = true;
            } else if (*m_p == '\r') {
                lineEnd('\n');
            } else if (*m_p == ']') {
                if (startsWith("]]>"))
                    return false;
                m_buffer += ']';
                ++m_p;
            } else if (!otherCharacter()) {
                return false;
            }
        }
        out = { m_buffer.data(), m_buffer.size() };
        blank = !referenced && allBlank(out.data, out.size);
        return true;
    }

    // A quoted attribute value, normalised as XML requires: literal tabs, line feeds and carriage
    // returns (a CR LF pair as one) become spaces; characters from references stay as they are.
    bool attributeValue(Value &out)
    {
        if (m_p == m_end || (*m_p != '"' && *m_p != '\''))
            return false;
        const Byte quote = *m_p++;
        const Byte *start = m_p;
        m_p = skipAttribute(m_p, m_end);
        if (m_p < m_end && *m_p == quote) {
            out = { reinterpret_cast<const char *>(start), size_t(m_p - start) };
            ++m_p;
            return true;
        }
        m_buffer.assign(reinterpret_cast<const char *>(start), size_t(m_p - start));
        for (;;) {
            const Byte *run = m_p;
            m_p = skipAttribute(m_p, m_end);
            m_buffer.append(reinterpret_cast<const char *>(run), size_t(m_p - run));
            if (m_p == m_end)
                return false;
            const Byte c = *m_p;
            if (c == quote) {
                ++m_p;
                break;
            }
            if (c == '&') {
                if (!reference())
                    return false;
            } else if (c == '\r') {
                lineEnd(' ');
            } else if (c == '\t' || c == '\n') {
                m_buffer += ' ';
                ++m_p;
            } else if (c == '"' || c == '\'') {
                m_buffer += char(c);
                ++m_p;
            } else if (c == '<' || !otherCharacter()) {
                return false;
            }
        }
        out = { m_buffer.data(), m_buffer.size() };
        return true;
    }

    // A comment at "<!--" under `parent`; "--" only in its closing "-->".
    bool comment(pugi::xml_node parent) { return section<'-'>(parent, pugi::node_comment, 4, Plain.comment); }

    // A CDATA section at "<![CDATA[" under `parent`.
    bool cdata(pugi::xml_node parent) { return section<']'>(parent, pugi::node_cdata, 9, Plain.cdata); }

    // The markup that runs from an opening of `opening` bytes to `Mark` `Mark` ">" ("-->" or "]]>"),
    // taken whole as one node of `type` under `parent`. `Mark` is its one special byte; a comment
    // may not hold it twice in a row before its end. Carriage returns are read as line feeds.
    template <char Mark>
    bool section(pugi::xml_node parent, pugi::xml_node_type type, size_t opening, const std::array<bool, 256> &plain)
    {
        m_p += opening;
        const Byte *start = m_p;
        bool rewritten = false;
        for (;;) {
            const Byte *run = m_p;
            m_p = skipPlain<Mark>(plain, m_p, m_end);
            if (rewritten)
                m_buffer.append(reinterpret_cast<const char *>(run), size_t(m_p - run));
            if (m_p == m_end)
                return false;
            if (*m_p == Mark) {
                const bool twice = m_end - m_p >= 2 && m_p[1] == Mark;
                if (twice && m_end - m_p >= 3 && m_p[2] == '>')
                    break;
                if (twice && type == pugi::node_comment)
                    return false;
                ++m_p;
                if (rewritten)
                    m_buffer += Mark;
                continue;
            }
            if (!rewritten) {
                m_buffer.assign(reinterpret_cast<const char *>(start), size_t(m_p - start));
                rewritten = true;
            }
            if (*m_p == '\r')
                lineEnd('\n');
            else if (!otherCharacter())
                return false;
        }
        const Value value = rewritten ? Value { m_buffer.data(), m_buffer.size() }
                                      : Value { reinterpret_cast<const char *>(start), size_t(m_p - start) };
        m_p += 3;
        parent.append_child(type).set_value(value.data, value.size);
        return true;
    }

    // A start tag at "<" under `parent`, with its attributes; `empty` for "<name/>".
    bool startTag(pugi::xml_node parent, pugi::xml_node &element, bool &empty)
    {
        ++m_p;
        std::string_view elementName;
        if (!name(elementName))
            return false;
        element = parent.append_child(terminated(elementName));
        m_attributeNames.clear();
        for (;;) {
            const bool blank = skipBlanks();
            if (m_p == m_end)
                return false;
            if (*m_p == '>') {
                ++m_p;
                empty = false;
                return true;
            }
            if (startsWith("/>")) {
                m_p += 2;
                empty = true;
                return true;
            }
            std::string_view attributeName;
            if (!blank || !name(attributeName) || attributeName.starts_with("xmlns"))
                return false;
            skipBlanks();
            if (m_p == m_end || *m_p != '=')
                return false;
            ++m_p;
            skipBlanks();
            Value value;
            if (!attributeValue(value))
                return false;
            if (m_attributeNames.size() >= size_t(MaxAttributes))
                return false;
            for (std::string_view seen : m_attributeNames) {
                if (seen.size() == attributeName.size() && seen.front() == attributeName.front()
                    && seen == attributeName)
                    return false;
            }
            m_attributeNames.push_back(attributeName);
            element.append_attribute(terminated(attributeName)).set_value(value.data, value.size);
        }
    }

    // "</name>" closing `element`, blanks allowed before ">".
    bool endTag(pugi::xml_node element)
    {
        m_p += 2;
        std::string_view endName;
        if (!name(endName) || endName != std::string_view(element.name()))
            return false;
        skipBlanks();
        if (m_p == m_end || *m_p != '>')
            return false;
        ++m_p;
        return true;
    }

    // The root element and everything in it, at "<". Open elements are followed through the tree,
    // not the call stack, so that deep nesting costs no stack.
    bool rootElement()
    {
        pugi::xml_node element;
        bool empty = false;
        if (!startTag(m_doc, element, empty))
            return false;
        if (empty)
            return true;
        pugi::xml_node open = element;
        size_t depth = 1;
        while (depth > 0) {
            Value pending;
            bool blank = true;
            if (!text(pending, blank) || m_p == m_end)
                return false;
            const bool closing = m_end - m_p >= 2 && m_p[1] == '/';
            // Text between two pieces of markup is one node; blanks alone only when they are all
            // the element holds.
            if (pending.size > 0 && (!blank || (closing && !open.first_child())))
                open.append_child(pugi::node_pcdata).set_value(pending.data, pending.size);
            if (closing) {
                if (!endTag(open))
                    return false;
                open = open.parent();
                --depth;
            } else if (startsWith("<!--")) {
                if (!comment(open))
                    return false;
            } else if (startsWith("<![CDATA[")) {
                if (!cdata(open))
                    return false;
            } else {
                if (!startTag(open, element, empty))
                    return false;
                if (!empty) {
                    open = element;
                    ++depth;
                }
            }
        }
        return true;
    }

    pugi::xml_document &m_doc;
    const Byte *m_p;
    const Byte *m_end;
    std::string m_buffer;
    std::array<char, 128> m_shortName;
    std::string m_name;
    std::vector<std::string_view> m_attributeNames;
};

} // namespace

bool readPlainDocument(pugi::xml_document &doc, const char *data, size_t size)
{
    doc.reset();
    if (size <= MaxDocumentBytes && PlainReader(doc, data, size).read())
        return true;
    doc.reset();
    return false;
}

} // namespace sw::xml
