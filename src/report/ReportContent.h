#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the configuration report says, in order, before it becomes an HTML page or PDF pages.
// Every text is plain text as it came from the project or the catalogue; each output escapes or
// draws it as such.
namespace sw::report {

// Where a cell's text may continue on a new line.
enum class Breaks {
    Words, // after a space
    Reference, // after "/" or ".": the names of an object reference stay whole
    Never, // a value searched for as one string (a checksum)
};

struct Column
{
    QString header;
    Breaks breaks = Breaks::Words;
    bool monospace = false;
    bool strong = false; // the keys of the list under the title
    // A description that, when a row does not fit on one line, goes under the row's other cells
    // across the columns from the reference on, in place of a narrow column of its own.
    bool under = false;
};

struct Row
{
    QStringList cells; // one per column; a line feed starts a new line
    bool group = false; // the first cell as a title across the table, kept with the row after it
};

struct Table
{
    QString name; // the HTML class
    QList<Column> columns;
    QList<Row> rows;
    bool grid = true; // false for the borderless list under the title, which has no header row
};

struct Block
{
    enum class Kind { Title, Heading, Paragraph, Table };
    Kind kind = Kind::Paragraph;
    QString text;
    Table table;
    bool wide = false; // on landscape pages: the lists with many columns and long references
};

struct ReportContent
{
    QString documentTitle; // the report's title and the configuration's name
    QList<Block> blocks;
};

// The report as a PDF document: A4 pages, landscape for the wide blocks, numbered under each page.
// Tables repeat their header row on each page, rows and headings are never cut from what follows
// them. Needs a QGuiApplication.
QByteArray pdfDocument(const ReportContent &content);

} // namespace sw::report
