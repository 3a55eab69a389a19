#pragma once

#include "ProgramFolder.h"

#include "core/text/Catalogue.h"

#include <QPushButton>
#include <QTest>
#include <memory>

namespace sw::test {

// A program folder with the default catalogue and one dialog of kind D, which the test creates
// (once it has set the paths the dialog reads), and the ways tests reach its named controls.
template <class D> struct DialogFixture : ProgramFolder
{
    std::unique_ptr<D> dlg;

    DialogFixture() { Default_Messages(pv.Msg_Catalogue); }

    template <class T = QWidget> T *get(const QString &name) const
    {
        T *w = dlg->template findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    void open() const
    {
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    }
    // Shown and active, for the keyboard.
    bool openActive() const
    {
        dlg->show();
        dlg->activateWindow();
        return QTest::qWaitForWindowActive(dlg.get());
    }
    void click(const char *button) const { QTest::mouseClick(get<QPushButton>(button), Qt::LeftButton); }
};

} // namespace sw::test
