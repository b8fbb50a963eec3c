#include "editor/portfolio_images.h"
#include "editor/portfolio_rows.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTest>

using namespace quillora;

namespace {

PortfolioItemPtr item(const QString& caption, qint64 sortOrder, const QUuid& id = QUuid::createUuid()) {
    return std::make_shared<PortfolioItem>(id, QByteArray("bytes-") + caption.toUtf8(), caption, sortOrder,
                                           PortfolioImageOrientation::portrait);
}

LocalPickerPortfolioItem row(const PortfolioItemPtr& record) {
    return {record->id(), record->imageData(), record->caption(), record->orientation()};
}

LocalPickerPortfolioItem newRow(const QString& caption) {
    return {QUuid::createUuid(), QByteArray("new"), caption, PortfolioImageOrientation::landscape};
}

QStringList captions(const QList<PortfolioItemPtr>& items) {
    QStringList out;
    for (const auto& i : items)
        out << i->caption();
    return out;
}

QList<qint64> orders(const QList<PortfolioItemPtr>& items) {
    QList<qint64> out;
    for (const auto& i : items)
        out << i->sortOrder();
    return out;
}

QStringList captions(const PortfolioRows& rows) {
    QStringList out;
    for (const auto& r : rows)
        out << r.caption;
    return out;
}

QByteArray jpeg(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

QStringList texts(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* text : list)
        out << QString::fromUtf8(text);
    return out;
}

} // namespace

class PortfolioRowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ModelContainer> m_container;

    ModelContext& context() { return m_container->mainContext(); }

private slots:
    void init() {
        auto container = ModelContainer::inMemory();
        QVERIFY(container);
        m_container = std::move(container).value();
        context().setAutosaveEnabled(false);
    }

    void rowsCompareByAllFieldsAndLoadInSortOrder() {
        auto a = item(QStringLiteral("a"), 2);
        auto b = item(QStringLiteral("b"), 0);
        auto c = item(QStringLiteral("c"), 2);
        auto resume = test::makeEmptyResume(QStringLiteral("R"));
        resume->setPortfolioItems({a, b, c});
        const PortfolioRows rows = loadPortfolioPickerItems(*resume);
        QCOMPARE(captions(rows), texts({"b", "a", "c"})); // equal orders keep stored order

        LocalPickerPortfolioItem copy = rows.at(0);
        QCOMPARE(copy, rows.at(0));
        QCOMPARE(qHash(copy), qHash(rows.at(0)));
        copy.imageData = QByteArray(*copy.imageData).append('x');
        QVERIFY(copy != rows.at(0));
        copy = rows.at(0);
        copy.imageData.reset();
        QVERIFY(copy != rows.at(0));
        copy = rows.at(0);
        copy.imageData = QByteArray(copy.imageData->constData(), copy.imageData->size()); // equal, not shared
        QCOMPARE(copy, rows.at(0));
        copy.orientation = PortfolioImageOrientation::landscape;
        QVERIFY(copy != rows.at(0));
        QCOMPARE(portfolioIdText(QUuid(QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"))),
                 QStringLiteral("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"));
    }

    void rowsEncodeAndDecode() {
        LocalPickerPortfolioItem full{QUuid::createUuid(), QByteArray("\x00\xff png", 6),
                                      QStringLiteral("Café"), PortfolioImageOrientation::landscape};
        const QJsonObject encoded = encodePortfolioRow(full);
        QCOMPARE(encoded.value(u"id").toString(), portfolioIdText(full.id));
        QCOMPARE(encoded.value(u"orientation").toString(), QStringLiteral("landscape"));
        QCOMPARE(decodePortfolioRow(encoded), std::optional(full));

        LocalPickerPortfolioItem bare = full;
        bare.imageData.reset();
        QVERIFY(!encodePortfolioRow(bare).contains(u"imageData"));
        QCOMPARE(decodePortfolioRow(encodePortfolioRow(bare)), std::optional(bare));

        QJsonObject wrong = encoded;
        wrong.insert(QStringLiteral("orientation"), QStringLiteral("Portrait"));
        QVERIFY(!decodePortfolioRow(wrong));
        wrong = encoded;
        wrong.remove(QStringLiteral("caption"));
        QVERIFY(!decodePortfolioRow(wrong));
        wrong = encoded;
        wrong.insert(QStringLiteral("imageData"), QStringLiteral("***"));
        QVERIFY(!decodePortfolioRow(wrong));
    }

    void syncWritesRowsInOrderWithoutTouchingSortOrder() {
        const QUuid shared = QUuid::createUuid();
        auto a = item(QStringLiteral("a"), 5);
        auto earlier = item(QStringLiteral("dup-early"), 1, shared);
        auto later = item(QStringLiteral("dup-late"), 2, shared);
        auto gone = item(QStringLiteral("gone"), 3);
        auto resume = test::makeEmptyResume(QStringLiteral("R"));
        resume->setPortfolioItems({a, earlier, later, gone});
        context().insert(resume);
        // (Two records with one id cannot be stored; the write-back leaves only the later one.)

        LocalPickerPortfolioItem dup = row(later);
        dup.caption = QStringLiteral("dup");
        dup.orientation = PortfolioImageOrientation::landscape;
        const LocalPickerPortfolioItem fresh = newRow(QStringLiteral("new"));
        syncPortfolioItems(*resume, context(), {dup, fresh, row(a)});

        QCOMPARE(captions(resume->portfolioItems()), texts({"dup", "new", "a"}));
        QCOMPARE(resume->portfolioItems().at(0), later); // the later of two records with one id
        QCOMPARE(later->orientation(), PortfolioImageOrientation::landscape);
        QCOMPARE(orders(resume->portfolioItems()), (QList<qint64>{2, 0, 5}));
        QCOMPARE(resume->portfolioItems().at(1)->imageData(), fresh.imageData);
        QVERIFY(!gone->isDeleted());
        QVERIFY(context().save().ok());

        syncPortfolioItems(*resume, context(), {});
        QVERIFY(resume->portfolioItems().isEmpty());
    }

    void persistNumbersMatchedRecordsKeepsTheRestAndLogs() {
        auto a = item(QStringLiteral("a"), 0);
        auto b = item(QStringLiteral("b"), 1);
        auto c = item(QStringLiteral("c"), 2);
        auto resume = test::makeEmptyResume(QStringLiteral("R"));
        resume->setPortfolioItems({a, b, c});
        context().insert(resume);
        c->setOrientation(PortfolioImageOrientation::landscape);

        test::StdoutCapture out;
        LocalPickerPortfolioItem quoted = row(c);
        quoted.caption = QStringLiteral("say \"hi\"");
        // Rows C, A; B is named by no row and keeps its old sortOrder 1.
        persistPortfolioOrder(*resume, context(), {quoted, row(a)});
        QCOMPARE(orders({c, a, b}), (QList<qint64>{0, 1, 1}));
        QCOMPARE(captions(resume->portfolioItems()), texts({"say \"hi\"", "a", "b"}));
        QCOMPARE(
            out.lines(),
            (QStringList{QStringLiteral("[Portfolio DEBUG] incoming order: [\"say \\\"hi\\\"\", \"a\"]"),
                         QStringLiteral("[Portfolio DEBUG] persisted order: [\"say \\\"hi\\\" (landscape)\", "
                                        "\"a (portrait)\", \"b (portrait)\"]")}));

        test::StdoutCapture empty;
        persistPortfolioOrder(*resume, context(), {});
        QCOMPARE(empty.lines().first(), QStringLiteral("[Portfolio DEBUG] incoming order: []"));
        QCOMPARE(resume->portfolioItems().size(), 3);
    }

    void dragMovesTakeTheTargetsPlace() {
        const PortfolioRows abc{newRow(QStringLiteral("A")), newRow(QStringLiteral("B")),
                                newRow(QStringLiteral("C"))};
        const QUuid a = abc.at(0).id, c = abc.at(2).id;
        QCOMPARE(captions(*movedPortfolioRows(abc, a, c)), texts({"B", "C", "A"}));
        QCOMPARE(captions(*movedPortfolioRows(abc, c, a)), texts({"C", "A", "B"}));
        QCOMPARE(captions(*movedPortfolioRows(abc, abc.at(1).id, c)), texts({"A", "C", "B"}));
        QVERIFY(!movedPortfolioRows(abc, a, a));
        QVERIFY(!movedPortfolioRows(abc, QUuid::createUuid(), a));
        QVERIFY(!movedPortfolioRows(abc, a, QUuid::createUuid()));
    }

    void thumbnailsAreDecodedSmallAndPickedFilesFiltered() {
        const QByteArray photo = jpeg(QSize(4000, 3000));
        const QImage thumb = decodePortfolioThumbnail(photo, 360);
        QCOMPARE(thumb.height(), 360);
        QCOMPARE(thumb.width(), 480);
        QCOMPARE(decodePortfolioThumbnail(jpeg(QSize(100, 50)), 360).size(),
                 QSize(100, 50)); // never enlarged
        QVERIFY(decodePortfolioThumbnail(QByteArray("no image at all"), 360).isNull());
        QVERIFY(decodePortfolioThumbnail(QByteArray(), 360).isNull());

        const QString dir = QDir::tempPath();
        const auto write = [&dir](const QString& name, const QByteArray& bytes) {
            QFile file(dir + QLatin1Char('/') + name);
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            return file.fileName();
        };
        const QString good = write(QStringLiteral("photo.jpg"), photo);
        const QString empty = write(QStringLiteral("empty.png"), QByteArray());
        const QString text = write(QStringLiteral("fake.png"), QByteArray("hello"));
        const QString missing = dir + QStringLiteral("/missing.png");
        const PickedImages picked = readPickedImages({empty, good, text, missing});
        QCOMPARE(picked.images, QList<QByteArray>{photo});
        QCOMPARE(picked.skipped, (QStringList{empty, text, missing}));

        const QString filter = portfolioImageNameFilter();
        QVERIFY(filter.startsWith(u"Images ("));
        QVERIFY(filter.contains(u"*.png") && filter.contains(u"*.jpg") && filter.contains(u"*.jpeg"));
    }
};

QUILLORA_TEST_MAIN(PortfolioRowsTest)
#include "test_portfolio_rows.moc"
