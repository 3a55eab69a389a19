#pragma once

#include "ui/Messages.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sw::test {

// Records every message and answers questions from a script (Yes when the script is empty).
class ScriptedMessages final : public Messages
{
public:
    enum class Kind { Error, Warning, Information, Confirm, GeneralError };
    struct Record
    {
        Kind kind;
        QString text;
    };

    QList<Record> records;
    QList<bool> answers; // consumed front to back by confirm()

    void error(QWidget *, const QString &text) override { records.append({ Kind::Error, text }); }
    void warning(QWidget *, const QString &text) override { records.append({ Kind::Warning, text }); }
    void information(QWidget *, const QString &text) override { records.append({ Kind::Information, text }); }
    bool confirm(QWidget *, const QString &text) override
    {
        records.append({ Kind::Confirm, text });
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void generalError(QWidget *, const QString &text) override { records.append({ Kind::GeneralError, text }); }

    QStringList texts() const
    {
        QStringList out;
        for (const Record &r : records)
            out.append(r.text);
        return out;
    }
    QString last() const { return records.isEmpty() ? QString() : records.last().text; }
    void clear() { records.clear(); }
};

} // namespace sw::test
