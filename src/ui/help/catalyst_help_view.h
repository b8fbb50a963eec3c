#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QScrollArea;

namespace quillora {

class Services;

class Appearance;
class ThemedBackground;

// The content of the Help window: the stored background gradient behind a rounded translucent
// panel, in which a title, a subtitle and four sections of short bullet sentences scroll. It is
// always 860 by 700 points and follows the colour scheme and the stored gradient at once.
class CatalystHelpView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CatalystHelpView)

public:
    struct Section {
        QString title;
        QStringList bullets;
    };
    static QString title();
    static QString subtitle();
    static const QList<Section>& sections();

    static constexpr int viewWidth = 860;
    static constexpr int viewHeight = 700;
    static constexpr int panelInset = 28;
    static constexpr int columnPadding = 34;
    static constexpr int maxColumnWidth = 760;

    explicit CatalystHelpView(Services& services, QWidget* parent = nullptr);
    ~CatalystHelpView() override;

    ThemedBackground* background() const { return m_background; }
    // The rounded panel (the scroll view) and the text column inside it.
    QWidget* panel() const { return m_panel; }
    QWidget* column() const { return m_column; }
    QScrollArea* scrollArea() const { return m_scrollArea; }
    QLabel* titleLabel() const { return m_titleLabel; }
    // The section title labels and bullet sentence labels, in order.
    const QList<QLabel*>& sectionTitleLabels() const { return m_sectionTitles; }
    const QList<QLabel*>& bulletLabels() const { return m_bullets; }

private:
    QWidget* makeSection(const Section& section);
    void applyScheme();

    Appearance* m_appearance;
    ThemedBackground* m_background;
    QWidget* m_panel;
    QScrollArea* m_scrollArea;
    QWidget* m_column;
    QLabel* m_titleLabel;
    QLabel* m_subtitleLabel;
    QList<QLabel*> m_sectionTitles;
    QList<QLabel*> m_bullets;
    QList<QWidget*> m_cards;
};

} // namespace quillora
