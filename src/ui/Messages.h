#pragma once

#include <QString>

class QWidget;

namespace sw {

// Every message box of the configurator goes through this interface, so tests can record the
// texts and answer the questions.
class Messages
{
public:
    virtual ~Messages() = default;
    // Error icon, one OK button.
    virtual void error(QWidget *parent, const QString &text) = 0;
    // Warning icon, one OK button.
    virtual void warning(QWidget *parent, const QString &text) = 0;
    // Information icon, one OK button.
    virtual void information(QWidget *parent, const QString &text) = 0;
    // Question with Yes and No; true for Yes.
    virtual bool confirm(QWidget *parent, const QString &text) = 0;
    // The general error box for unexpected failures caught in a handler.
    virtual void generalError(QWidget *parent, const QString &text) = 0;
};

// QMessageBox implementation.
class MessageBoxes final : public Messages
{
public:
    void error(QWidget *parent, const QString &text) override;
    void warning(QWidget *parent, const QString &text) override;
    void information(QWidget *parent, const QString &text) override;
    bool confirm(QWidget *parent, const QString &text) override;
    void generalError(QWidget *parent, const QString &text) override;
};

} // namespace sw
