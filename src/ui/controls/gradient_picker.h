#pragma once

#include "theme/project_theme.h"

#include <QAbstractButton>
#include <QDialog>
#include <QImage>
#include <QList>
#include <QSizeF>

class QLabel;
class QPropertyAnimation;
class QScrollArea;
class QVariantAnimation;

namespace quillora {

class Appearance;
class QuilloraThemeController;

// One choice of the gradient picker: a live preview card of the gradient's orb layer with its
// number in a badge below. The button speaks for both: "Background option n", its value
// "Selected" or "Not selected", identifier "backgroundOption<n>".
class GradientSwatchButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GradientSwatchButton)

public:
    static constexpr qreal cornerRadius = 18;
    static constexpr int badgeSide = 26;
    static constexpr int badgeSpacing = 10;
    static constexpr int selectionAnimationMs = 200;

    GradientSwatchButton(QuilloraGradientID id, Appearance& appearance, QWidget* parent = nullptr);
    ~GradientSwatchButton() override;

    QuilloraGradientID gradientID() const { return m_id; }
    // 1 to 20: the number shown and spoken.
    int number() const { return rawValue(m_id) + 1; }

    bool isSelectedSwatch() const { return m_selected; }
    void setSelectedSwatch(bool selected);
    // "Selected" or "Not selected".
    QString accessibilityValue() const;

    QSizeF cardSize() const { return m_cardSize; }
    void setCardSize(QSizeF size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& preview();

    QuilloraGradientID m_id;
    Appearance* m_appearance;
    QSizeF m_cardSize{148, 112};
    bool m_selected = false;
    qreal m_selectionAmount = 0; // 0 unselected look, 1 selected look
    QVariantAnimation* m_selectionAnimation;
    QImage m_preview;
    bool m_previewLight = true;
};

// The sheet in which the user picks the background gradient of the whole app: the twenty
// gradients side by side in one horizontally scrolling row. Picking one stores it through the
// theme controller (the setting "QuilloraSelectedGradientID") and closes the sheet; every themed
// screen then shows it, and the choice is said ("Background option 5 selected."). The arrows, Home
// and End move among the choices. The close button and Escape close the sheet without a change.
class QuilloraGradientPicker final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuilloraGradientPicker)

public:
    // The width-dependent measures, in points.
    struct Metrics {
        QSizeF swatch{148, 112};
        qreal sidePadding = 16;
        qreal verticalPadding = 12;
    };
    static Metrics metricsForWidth(qreal width);
    static constexpr int swatchSpacing = 20;
    static constexpr int scrollAnimationMs = 500;

    QuilloraGradientPicker(QuilloraThemeController& controller, Appearance& appearance,
                           QWidget* parent = nullptr);
    ~QuilloraGradientPicker() override;

    // The gradient shown as selected: the stored one, or g4 when the stored id is out of range.
    QuilloraGradientID selectedID() const;
    const QList<GradientSwatchButton*>& swatches() const { return m_swatches; }
    GradientSwatchButton* swatch(QuilloraGradientID id) const;
    Metrics metrics() const { return m_metrics; }
    QScrollArea* scrollArea() const { return m_scrollArea; }

    // What a swatch's press does: store the choice, bring the swatch to the middle and close.
    void choose(QuilloraGradientID id);
    // Scrolls the row so that the swatch is centred (animated unless reduce motion is on).
    void scrollToSwatch(QuilloraGradientID id);

    // Draws `backdrop` (such as the themed background) behind the picker instead of the plain
    // sheet colour; the picker takes it as a child and keeps it over its whole area.
    void setBackdrop(QWidget* backdrop);
    QWidget* backdrop() const { return m_backdrop; }

signals:
    void gradientChosen(QuilloraGradientID id);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyMetrics();
    void refreshSelection();
    void applyScheme();

    QuilloraThemeController* m_controller;
    Appearance* m_appearance;
    QLabel* m_titleLabel;
    QScrollArea* m_scrollArea;
    QWidget* m_row;
    QList<GradientSwatchButton*> m_swatches;
    Metrics m_metrics;
    QPropertyAnimation* m_scrollAnimation;
    QWidget* m_backdrop = nullptr;
    QuilloraGradientID m_shownSelection = QuilloraGradientID::g4;
};

} // namespace quillora
