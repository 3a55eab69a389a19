#pragma once

#include <QByteArray>
#include <QList>
#include <utility>

namespace sw::test {

// Documents that are not well-formed XML, each a small variant of a project document that a
// lenient parser would accept (some of them with altered data). Every document reader, the image
// compiler and the image tool must refuse each of them.
// One row element carrying `count` distinct attributes.
inline QByteArray crowdedRow(int count)
{
    QByteArray row = "<IEC61850_Variables><row";
    for (int i = 0; i < count; ++i)
        row += " a" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + '"';
    return row + "/></IEC61850_Variables>";
}

inline QList<std::pair<const char *, QByteArray>> malformedDocuments()
{
    return {
        { "element with 257 attributes", crowdedRow(257) },
        { "invalid UTF-8",
            QByteArrayLiteral("<Par_Gen><IEC61850_Server_Password>caf\xE9</IEC61850_Server_Password></Par_Gen>") },
        { "NUL character reference",
            QByteArrayLiteral("<Par_Gen><IEC61850_Server_Password>a&#0;b</IEC61850_Server_Password></Par_Gen>") },
        { "lone surrogate reference",
            QByteArrayLiteral("<Par_Gen><IEC61850_Server_Password>&#xD800;</IEC61850_Server_Password></Par_Gen>") },
        { "undefined entity",
            QByteArrayLiteral("<Par_Gen><IEC61850_Server_Password>&foo;</IEC61850_Server_Password></Par_Gen>") },
        { "entity declared in the document",
            QByteArrayLiteral("<!DOCTYPE Par_Gen [<!ENTITY foo "
                              "\"102\">]><Par_Gen><IEC61850_Server_Port>&foo;</IEC61850_Server_Port></Par_Gen>") },
        { "bare ampersand",
            QByteArrayLiteral("<Par_Gen><IEC61850_Server_Password>a & b</IEC61850_Server_Password></Par_Gen>") },
        { "]]> in text",
            QByteArrayLiteral("<Par_Gen><IEC61850_Server_Password>a]]>b</IEC61850_Server_Password></Par_Gen>") },
        { "control character",
            QByteArrayLiteral("<Par_Gen><IEC61850_Server_Password>a\x01</IEC61850_Server_Password></Par_Gen>") },
        { "duplicated attribute",
            QByteArrayLiteral("<IEC61850_Variables><row Enable=\"Y\" Enable=\"N\" Name=\"V\"/></IEC61850_Variables>") },
        { "second root element", QByteArrayLiteral("<Par_Gen></Par_Gen><Par_Gen></Par_Gen>") },
        { "text after the root", QByteArrayLiteral("<Par_Gen></Par_Gen>tail") },
        { "-- inside a comment", QByteArrayLiteral("<Par_Gen><!-- a -- b --></Par_Gen>") },
        { "unclosed element", QByteArrayLiteral("<Par_Gen><IEC61850_Server_Port>80</Par_Gen>") },
        { "undeclared namespace prefix",
            QByteArrayLiteral("<Par_Gen><x:IEC61850_Server_Port>80</x:IEC61850_Server_Port></Par_Gen>") },
        { "attribute twice in one namespace",
            QByteArrayLiteral("<IEC61850_Variables xmlns:a=\"u\" xmlns:b=\"u\"><row a:Name=\"V\" "
                              "b:Name=\"W\"/></IEC61850_Variables>") },
        { "XML version 1.1", QByteArrayLiteral("<?xml version=\"1.1\"?><Par_Gen></Par_Gen>") },
        { "empty file", QByteArray() },
    };
}

} // namespace sw::test
