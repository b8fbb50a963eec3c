#include "platform/async.h"
#include "platform/result.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

using namespace quillora;

namespace {

// Answers every request with "hello", after `delayMs`.
class LoopbackServer final : public QTcpServer {
public:
    explicit LoopbackServer(int delayMs = 0)
        : m_delay(delayMs) {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    QTimer::singleShot(m_delay, socket, [socket] {
                        socket->write(
                            "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
                        socket->disconnectFromHost();
                    });
                });
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(serverPort())); }

private:
    int m_delay;
};

} // namespace

class AsyncTest : public QObject {
    Q_OBJECT

private slots:
    void aResultReachesItsLiveReceiverOnTheUiThread() {
        QObject screen;
        auto resume = test::makeEmptyResume(QStringLiteral("Kept"));
        std::optional<int> got;
        QThread* workThread = nullptr;
        QThread* deliverThread = nullptr;
        auto future = runInBackground(
            ResultReceiver(&screen, resume, QStringLiteral("Test work")),
            [&] {
                workThread = QThread::currentThread();
                return 42;
            },
            [&](int value) {
                got = value;
                deliverThread = QThread::currentThread();
            });
        future.waitForFinished();
        QVERIFY(!got); // never delivered inside the call or by the worker
        QTRY_COMPARE(got, std::optional<int>(42));
        QVERIFY(workThread != QThread::currentThread());
        QCOMPARE(deliverThread, QThread::currentThread());

        // From any thread, a hand-back is queued too.
        bool handed = false;
        QThread* sender = QThread::create([&] {
            deliverLater(ResultReceiver(&screen, QStringLiteral("Hand-back")), [&] { handed = true; });
        });
        sender->start();
        sender->wait();
        delete sender;
        QTRY_VERIFY(handed);
    }

    void aResultIsDroppedWhenItsScreenClosesOrItsResumeIsDeleted() {
        auto store = std::move(ModelContainer::inMemory()).value();
        ModelContext& context = store->mainContext();
        context.setAutosaveEnabled(false);
        auto resume = test::makeEmptyResume(QStringLiteral("Doomed"));
        context.insert(resume);

        int delivered = 0;
        const QStringList lines = test::printedBy([&] {
            auto screen = std::make_unique<QObject>();
            auto closed = runInBackground(
                ResultReceiver(screen.get(), resume, QStringLiteral("PDF export")),
                [] { return QStringLiteral("done"); }, [&](const QString&) { ++delivered; });
            closed.waitForFinished();
            screen.reset(); // the screen closes before the result arrives

            QObject open;
            auto deleted = runInBackground(
                ResultReceiver(&open, resume, QStringLiteral("Translation")), [] {}, [&] { ++delivered; });
            deleted.waitForFinished();
            context.deleteRecord(resume);

            auto gone = test::makeEmptyResume();
            deliverLater(ResultReceiver(&open, gone, QStringLiteral("Image decoding")), [&] { ++delivered; });
            gone.reset(); // nobody holds the résumé any more

            QTest::qWait(50);
        });
        QCOMPARE(delivered, 0);
        QCOMPARE(
            lines,
            (QStringList{QStringLiteral("⏭️ PDF export result dropped: its screen was closed"),
                         QStringLiteral("⏭️ Translation result dropped: its résumé was deleted"),
                         QStringLiteral("⏭️ Image decoding result dropped: its résumé was deleted")}));
    }

    // Work for a résumé reaches it after its screen closed (the screen is then null), and
    // its request is not aborted; only a deleted résumé drops it.
    void resumeWorkOutlivesItsScreen() {
        auto resume = test::makeEmptyResume(QStringLiteral("Kept"));
        auto screen = std::make_unique<QObject>();
        QList<bool> screenOpen;
        auto future = runInBackground(
            ResultReceiver::forResume(resume, screen.get(), QStringLiteral("AI answer")), [] { return 1; },
            [&, receiver = ResultReceiver::forResume(resume, screen.get(), QStringLiteral("AI answer"))](
                int) { screenOpen << (receiver.screen() != nullptr); });
        future.waitForFinished();
        screen.reset();
        QTRY_COMPARE(screenOpen, QList<bool>{false});

        LoopbackServer slow(300);
        QNetworkAccessManager network;
        auto closing = std::make_unique<QObject>();
        QByteArray body;
        whenReplyFinished(network.get(QNetworkRequest(slow.url())),
                          ResultReceiver::forResume(resume, closing.get(), QStringLiteral("Upload")),
                          [&](QNetworkReply& reply) { body = reply.readAll(); });
        closing.reset();
        QTRY_COMPARE(body, QByteArray("hello"));

        int delivered = 0;
        const QStringList lines = test::printedBy([&] {
            QObject open;
            deliverLater(ResultReceiver::forResume(resume, &open, QStringLiteral("Skill suggestion")),
                         [&] { ++delivered; });
            resume.reset(); // nobody holds the résumé any more
            QTest::qWait(50);
        });
        QCOMPARE(delivered, 0);
        QCOMPARE(lines, QStringList{QStringLiteral(
                            "⏭️ Skill suggestion result dropped: its résumé was deleted")});
    }

    void aNetworkReplyGoesOnlyToALiveReceiver() {
        LoopbackServer server;
        QNetworkAccessManager network;
        QObject screen;
        QByteArray body;
        whenReplyFinished(network.get(QNetworkRequest(server.url())),
                          ResultReceiver(&screen, QStringLiteral("Request")),
                          [&](QNetworkReply& reply) { body = reply.readAll(); });
        QTRY_COMPARE(body, QByteArray("hello"));

        // Closing the screen aborts the request, and its result is dropped.
        LoopbackServer slow(2000);
        auto closing = std::make_unique<QObject>();
        bool called = false;
        QPointer<QNetworkReply> reply = network.get(QNetworkRequest(slow.url()));
        whenReplyFinished(reply, ResultReceiver(closing.get(), QStringLiteral("Upload")),
                          [&](QNetworkReply&) { called = true; });
        const QStringList lines = test::printedBy([&] { closing.reset(); });
        QCOMPARE(lines, QStringList{QStringLiteral("⏭️ Upload result dropped: its screen was closed")});
        QTRY_VERIFY(!reply); // freed
        QVERIFY(!called);
    }

    void errorsCarryAKindAndDetailsBesideTheText() {
        const auto status = Result<int>::failure(ErrorKind::httpStatus, QStringLiteral("Server error"), 503,
                                                 {{QStringLiteral("body"), QStringLiteral("busy")}});
        QVERIFY(!status);
        QCOMPARE(status.error(), QStringLiteral("Server error"));
        QCOMPARE(status.errorKind(), ErrorKind::httpStatus);
        QCOMPARE(status.errorInfo().code, 503);
        QCOMPARE(status.errorInfo().details.value(QStringLiteral("body")).toString(), QStringLiteral("busy"));

        // Passed on to a caller of another type, the error stays whole; plain texts are general.
        const Status forwarded = status.errorInfo();
        QVERIFY(forwarded.errorInfo().is(ErrorKind::httpStatus));
        QCOMPARE(forwarded.error(), QStringLiteral("Server error"));
        QCOMPARE(Status::failure(QStringLiteral("x")).errorKind(), ErrorKind::general);
        QVERIFY(success().errorInfo().text.isEmpty());
    }
};

QUILLORA_TEST_MAIN(AsyncTest)
#include "test_async.moc"
