#pragma once

#include "MalformedDocuments.h"
#include "ScriptedMessages.h"
#include "TestFiles.h"

#include "core/xml/Xml.h"

#include <QByteArray>
#include <QDialog>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <functional>
#include <initializer_list>

namespace sw::test {

// The data of a test that shows an editor over a document that is not well-formed: a column
// "document" with one row per named document of malformedDocuments(), every one when none is named.
inline void addUnreadableDocumentRows(std::initializer_list<const char *> names = {})
{
    QTest::addColumn<QByteArray>("document");
    const QList<std::pair<const char *, QByteArray>> all = malformedDocuments();
    if (names.size() == 0) {
        for (const auto &[name, bytes] : all)
            QTest::newRow(name) << bytes;
        return;
    }
    for (const char *name : names) {
        const auto it
            = std::find_if(all.begin(), all.end(), [&](const auto &row) { return qstrcmp(row.first, name) == 0; });
        QVERIFY2(it != all.end(), name);
        QTest::newRow(name) << it->second;
    }
}

// Shows `dialog`, an editor of the document at `path`, over the readable document `readable`
// (`shown`, when given, checks what it shows) and cancels; then shows it again over `unreadable`.
// The dialog opens all the same, and the general error box alone reports the file, the place in
// it and the reason. Returns with the dialog on show; check QTest::currentTestFailed() after it.
inline void showUnreadableDocument(QDialog *dialog, ScriptedMessages &messages, const QString &path,
    const QByteArray &readable, const QByteArray &unreadable, const std::function<void()> &shown = {})
{
    QVERIFY(writeFile(path, readable));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    if (shown)
        shown();
    dialog->reject();
    QVERIFY2(messages.records.isEmpty(), qPrintable(messages.last()));

    QVERIFY(writeFile(path, unreadable));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY(dialog->isVisible());
    QCOMPARE(messages.records.size(), 1);
    QCOMPARE(messages.records[0].kind, ScriptedMessages::Kind::GeneralError);
    const QString report = messages.last();
    const std::optional<QString> problem = xml::wellFormednessProblem(unreadable);
    QVERIFY(problem);
    QVERIFY2(report.contains(QDir::toNativeSeparators(path)), qPrintable(report));
    QVERIFY2(report.contains(*problem), qPrintable(report));
    QVERIFY2(report.contains(QRegularExpression(QStringLiteral("line \\d+, column \\d+: \\S"))), qPrintable(report));
}

} // namespace sw::test
