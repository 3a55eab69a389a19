#pragma once

#include "core/xml/Limits.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// The conventions shared by every XML document of the configurator: the reader takes the root
// element whatever its name, passing over any declaration, comment, processing instruction or
// document type before it, looks values up by exact name and lets each missing
// value fall back alone; the writer rebuilds the whole document with no declaration and no
// indentation, and saves atomically (core/files/AtomicFile.h).
namespace sw::xml {

inline constexpr char VersionComment[] = "SW_VERSION = 1.000";

// Parses `path` keeping declarations, comments and processing instructions as nodes, so that a
// value holding one is told apart from plain text; a value made only of blanks stays a value.
// Throws sw::Error naming the file and the parser's message when the file cannot be read or is not
// well-formed.
void loadFile(pugi::xml_document &doc, const QString &path);

// The first reason why `bytes` is not a well-formed XML 1.0 document, with its line and column;
// nullopt when it is well-formed. An element with more than MaxAttributes attributes counts as
// not well-formed here. Documents declaring entities of their own count as not
// well-formed here, since they would not read the same everywhere.
std::optional<QString> wellFormednessProblem(const QByteArray &bytes);

// Parses bytes as loadFile does, in one pass of a conforming parser that builds the tree; returns
// the problem on failure, with `doc` left empty. Plain documents, such as this program writes, are
// read by a faster reader that builds the same tree and declines everything else to the
// conforming one (loadBytesConforming): the outcome is always the one the conforming parser gives.
std::optional<QString> loadBytes(pugi::xml_document &doc, const QByteArray &bytes);

// The document's root element, whatever its name. A declaration, comments, processing
// instructions or a document type before it are passed over, so that a file saved by another
// tool reads the same as one this program wrote.
pugi::xml_node rootElement(const pugi::xml_document &doc);

// The first child element of `parent` named exactly `name`.
pugi::xml_node childElement(pugi::xml_node parent, const char *name);

// The text of an element: empty for an empty element; nullopt when the element is missing or
// holds anything other than a single piece of text (child elements, comments).
std::optional<QString> elementText(pugi::xml_node element);

// elementText(childElement(parent, name)).
std::optional<QString> childText(pugi::xml_node parent, const char *name);

// The value of an attribute; nullopt when it is missing.
std::optional<QString> attribute(pugi::xml_node node, const char *name);

// Appends a child element holding `text`; an empty text gives an empty element. Throws sw::Error
// when the text holds a character that no XML document can hold (a control character other than
// tab, line feed and carriage return, or half of a surrogate pair).
pugi::xml_node appendTextElement(pugi::xml_node parent, const char *name, const QString &text);

// Sets an attribute, appended in call order. Throws sw::Error like appendTextElement.
void setAttribute(pugi::xml_node node, const char *name, const QString &value);

// Removes every top-level node, adds the root element `rootName` and, after it, the version
// comment. Returns the root.
pugi::xml_node resetWithRoot(pugi::xml_document &doc, const char *rootName, bool versionComment);

// The document as written to disk: UTF-8, no declaration, no indentation. Every character that a
// reader would normalise (CR anywhere; line feed and tab in attributes) is written as a character
// reference, so reading the bytes back gives the same texts.
QByteArray toBytes(const pugi::xml_document &doc);

// Writes the document to `path` atomically. Throws sw::Error naming the file and the reason.
void saveFile(const pugi::xml_document &doc, const QString &path);

} // namespace sw::xml
