#pragma once

#include <QDialog>
#include <QFont>
#include <QList>

#include <optional>

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace quillora {

class Appearance;
class BulletRow;
class FloatingCloseButton;

// The sheet that shows a screen's help (and a few other explanatory sheets): a bold title line
// over the opener's content, one leading-aligned column of limited width in a scrolling page,
// with the floating close button in the top trailing corner. Every element of the content
// stands in the column on its own, 22 points from the next. The column's inset, its cap and
// the space above the title grow with the sheet's width. Escape closes it too.
class HelpSheetContainer final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpSheetContainer)

public:
    struct Metrics {
        qreal t = 0;
        qreal s = 0;
        qreal columnWidth = 0;
        qreal topMargin = 52;
    };
    static Metrics metricsForWidth(qreal width);

    static constexpr int elementSpacing = 22;
    // How far a text's focus ring stands off it: clear of a heading's first letter, inside the
    // column's side padding and the spacing between elements.
    static constexpr int textRingOutset = 6;
    static constexpr int sideMargin = 24;
    static constexpr int bottomMargin = 24;
    static constexpr qreal titleSize = 21;

    // A modal sheet over opener.
    explicit HelpSheetContainer(Appearance& appearance, const QString& title, QWidget* opener = nullptr);
    ~HelpSheetContainer() override;

    QString title() const { return m_title; }

    // The font of the headings most help sheets use (17 points, semibold).
    static QFont headlineFont();

    // The font of content elements that set none of their own; without one they keep the
    // application's font.
    void setContentFont(const QFont& font);

    // A section heading in the given font, or in the sheet's content font.
    QLabel* addHeading(const QString& text, std::optional<QFont> font = std::nullopt);
    BulletRow* addBulletRow(const QString& text);
    // A paragraph of wrapped text in the content font.
    QLabel* addParagraph(const QString& text);
    // Any other element (ownership passes to the sheet).
    void addContent(QWidget* widget);

    // The elements after the title line, in order.
    const QList<QWidget*>& contentElements() const { return m_elements; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QWidget* column() const { return m_column; }
    QScrollArea* scrollArea() const { return m_scrollArea; }
    FloatingCloseButton* closeButton() const { return m_closeButton; }
    Metrics metrics() const { return m_metrics; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyMetrics();
    void applyScheme();
    void adoptElement(QWidget* widget);

    QString m_title;
    Appearance* m_appearance;
    std::optional<QFont> m_contentFont;
    QScrollArea* m_scrollArea;
    QWidget* m_page;
    QVBoxLayout* m_pageLayout;
    QWidget* m_column;
    QVBoxLayout* m_columnLayout;
    QLabel* m_titleLabel;
    QList<QWidget*> m_elements;
    QList<QLabel*> m_unstyledLabels;
    FloatingCloseButton* m_closeButton;
    Metrics m_metrics;
};

} // namespace quillora
