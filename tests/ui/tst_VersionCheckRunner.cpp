#include "Fakes.h"

#include "ui/VersionCheckRunner.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>
#include <memory>
#include <stdexcept>

using namespace sw;
using namespace std::chrono_literals;
using sw::test::FakeVersionChecker;

namespace {

// Throws instead of answering, as a broken checker might.
class ThrowingChecker final : public VersionChecker
{
public:
    bool Check_Version() override { throw std::runtime_error("no network"); }
};

} // namespace

class tst_VersionCheckRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deliversOnUiThread_data()
    {
        QTest::addColumn<bool>("newer");
        QTest::newRow("newer") << true;
        QTest::newRow("not newer") << false;
    }
    // The check runs elsewhere while the event loop goes on; the answer comes back on this thread.
    void deliversOnUiThread()
    {
        QFETCH(bool, newer);
        FakeVersionChecker checker;
        checker.newer = newer;
        checker.delay = 100ms;
        VersionCheckRunner runner(&checker);
        int answers = 0;
        bool answer = !newer;
        QThread *answeredOn = nullptr;
        QVERIFY(runner.start([&](bool n) {
            ++answers;
            answer = n;
            answeredOn = QThread::currentThread();
        }));
        QVERIFY(runner.isRunning());
        QCOMPARE(answers, 0); // never answered inside start
        QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 5000);
        QCOMPARE(answer, newer);
        QCOMPARE(answeredOn, QCoreApplication::instance()->thread());
        QVERIFY(checker.thread != std::this_thread::get_id());
        QVERIFY(!runner.isRunning());
    }

    // A start while a check runs is refused; after the answer a new check may start.
    void oneCheckAtATime()
    {
        FakeVersionChecker checker;
        checker.delay = 100ms;
        VersionCheckRunner runner(&checker);
        int answers = 0;
        QVERIFY(runner.start([&](bool) { ++answers; }));
        QVERIFY(!runner.start([&](bool) { answers += 10; }));
        QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 5000);
        QTest::qWait(150);
        QCOMPARE(answers, 1);
        QCOMPARE(checker.calls.load(), 1);

        QVERIFY(runner.start([&](bool) { ++answers; }));
        QTRY_COMPARE_WITH_TIMEOUT(answers, 2, 5000);
        QCOMPARE(checker.calls.load(), 2);
    }

    void failureAnswersNotNewer()
    {
        ThrowingChecker checker;
        VersionCheckRunner runner(&checker);
        int answers = 0;
        bool answer = true;
        QVERIFY(runner.start([&](bool n) {
            ++answers;
            answer = n;
        }));
        QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 5000);
        QVERIFY(!answer);
    }

    // Destroyed while the check waits, and also after the answer was posted but before it arrived:
    // the answer is dropped and nothing crashes.
    void destroyedBeforeAnswer_data()
    {
        QTest::addColumn<bool>("posted");
        QTest::newRow("while checking") << false;
        QTest::newRow("answer queued") << true;
    }
    void destroyedBeforeAnswer()
    {
        QFETCH(bool, posted);
        FakeVersionChecker checker;
        checker.delay = posted ? 0ms : 150ms;
        auto runner = std::make_unique<VersionCheckRunner>(&checker);
        int answers = 0;
        QVERIFY(runner->start([&](bool) { ++answers; }));
        if (posted) {
            // Wait without running the event loop, so the answer stays in the queue.
            for (int i = 0; i < 500 && checker.finished.load() == 0; ++i)
                QThread::msleep(2);
            QThread::msleep(20);
        }
        runner.reset();
        QTRY_COMPARE_WITH_TIMEOUT(checker.finished.load(), 1, 5000);
        QTest::qWait(50);
        QCOMPARE(answers, 0);
    }
};

QTEST_MAIN(tst_VersionCheckRunner)
#include "tst_VersionCheckRunner.moc"
