#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;
class QVBoxLayout;

namespace quillora {

class Appearance;
class SectionCardBadge;

// Frames one section of the résumé editor: a header with a symbol in a tinted circle, a title
// and an optional subtitle, then the section's content, on a rounded translucent panel with an
// outline in the accent colour. Its paddings and type sizes grow with the responsive width of
// the screen it sits in (setResponsiveLayout on an ancestor; 800 when none set one).
class EditorSectionCard final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorSectionCard)

public:
    // The width-dependent measures, in points.
    struct Metrics {
        qreal panelPadding = 16;
        qreal iconSize = 18;
        qreal iconPadding = 10;
        qreal titleSize = 17;
        qreal subtitleSize = 12;
    };
    static Metrics metricsForWidth(qreal width);

    static constexpr qreal cornerRadius = 22;
    static constexpr int headerSpacing = 12;
    static constexpr int stackSpacing = 16;

    EditorSectionCard(Appearance& appearance, const QString& icon, const QString& title,
                      const std::optional<QString>& subtitle, const QColor& accent,
                      QWidget* content = nullptr, QWidget* parent = nullptr);
    ~EditorSectionCard() override;

    QString icon() const { return m_icon; }
    QString title() const { return m_title; }
    std::optional<QString> subtitle() const { return m_subtitle; }
    QColor accent() const { return m_accent; }
    void setAccent(const QColor& accent);

    // The section's content, laid out below the header (ownership passes to the card; a previous
    // content widget is deleted).
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // The measures in force now.
    Metrics metrics() const { return m_metrics; }
    QWidget* headerWidget() const { return m_header; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* subtitleLabel() const { return m_subtitleLabel; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    QString m_icon;
    QString m_title;
    std::optional<QString> m_subtitle;
    QColor m_accent;
    Appearance* m_appearance;
    Metrics m_metrics;
    QVBoxLayout* m_stack;
    QWidget* m_header;
    SectionCardBadge* m_badge;
    QLabel* m_titleLabel;
    QLabel* m_subtitleLabel = nullptr;
    QPointer<QWidget> m_content;
};

} // namespace quillora
