#include "controls/flow_layout.h"
#include "support/test_home.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cmath>

using namespace quillora;

namespace {

class Box final : public QWidget {
public:
    Box(QSize size, QWidget* parent)
        : QWidget(parent)
        , m_size(size) {}
    QSize sizeHint() const override { return m_size; }

private:
    QSize m_size;
};

} // namespace

class TestFlowLayout final : public QObject {
    Q_OBJECT

private:
    // A shown container with a flow layout over items of the given sizes.
    static std::unique_ptr<QWidget> container(const QList<QSize>& sizes, int spacing, FlowLayout*& layout) {
        auto widget = std::make_unique<QWidget>();
        layout = new FlowLayout(widget.get(), spacing);
        for (const QSize& size : sizes)
            layout->addWidget(new Box(size, widget.get()));
        widget->show();
        QApplication::processEvents();
        return widget;
    }

private slots:
    void placesItemsLikeWordsInAParagraph_data() {
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<QPoint>>("positions");
        QTest::addColumn<QSizeF>("size");

        QTest::newRow("no items") << QList<QSize>{} << 100 << QList<QPoint>{} << QSizeF(100, 0);
        QTest::newRow("third item wraps") << QList<QSize>{{40, 20}, {40, 20}, {40, 20}} << 100
                                          << QList<QPoint>{{0, 0}, {48, 0}, {0, 28}} << QSizeF(100, 48);
        QTest::newRow("row as tall as its tallest item")
            << QList<QSize>{{40, 20}, {40, 30}, {40, 10}} << 100 << QList<QPoint>{{0, 0}, {48, 0}, {0, 38}}
            << QSizeF(100, 48);
        QTest::newRow("exact fit stays on the row")
            << QList<QSize>{{46, 20}, {46, 20}} << 100 << QList<QPoint>{{0, 0}, {54, 0}} << QSizeF(100, 20);
        QTest::newRow("one point too wide wraps")
            << QList<QSize>{{46, 20}, {47, 20}} << 100 << QList<QPoint>{{0, 0}, {0, 28}} << QSizeF(100, 48);
        QTest::newRow("too wide first item leaves an empty first row")
            << QList<QSize>{{150, 20}} << 100 << QList<QPoint>{{0, 8}} << QSizeF(100, 28);
        QTest::newRow("too wide later item stands alone")
            << QList<QSize>{{40, 20}, {150, 20}, {40, 20}} << 100 << QList<QPoint>{{0, 0}, {0, 28}, {0, 56}}
            << QSizeF(100, 76);
    }

    void placesItemsLikeWordsInAParagraph() {
        QFETCH(QList<QSize>, sizes);
        QFETCH(int, width);
        QFETCH(QList<QPoint>, positions);
        QFETCH(QSizeF, size);

        FlowLayout* layout = nullptr;
        const auto widget = container(sizes, 8, layout);
        QCOMPARE(layout->sizeThatFits(qreal(width)), size);
        QCOMPARE(layout->positions(QRect(0, 0, width, 500)), positions);
        QCOMPARE(layout->heightForWidth(width), qCeil(size.height()));

        // Laid out for real, the widgets sit where the rule puts them, at their own sizes.
        layout->setGeometry(QRect(0, 0, width, 500));
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(layout->itemAt(i)->widget()->geometry(), QRect(positions.at(i), sizes.at(i)));
    }

    void boundsOffsetMovesEveryRow() {
        FlowLayout* layout = nullptr;
        const auto widget = container({{40, 20}, {40, 20}, {40, 20}}, 8, layout);
        QCOMPARE(layout->positions(QRect(10, 5, 100, 100)), (QList<QPoint>{{10, 5}, {58, 5}, {10, 33}}));
    }

    void withoutAProposedWidthEverythingStaysOnOneRow() {
        FlowLayout* layout = nullptr;
        const auto widget = container({{40, 20}, {400, 35}, {40, 20}}, 8, layout);
        const QSizeF size = layout->sizeThatFits(std::nullopt);
        QVERIFY(std::isinf(size.width()));
        QCOMPARE(size.height(), 35.0);
        QCOMPARE(layout->sizeHint(), QSize(496, 35));
    }
};

QUILLORA_TEST_MAIN(TestFlowLayout)
#include "test_flow_layout.moc"
