#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

namespace quillora {

class Appearance;

// A small turning arc that shows work in progress, in one colour.
class BusySpinner final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BusySpinner)

public:
    explicit BusySpinner(int side, QWidget* parent = nullptr);
    ~BusySpinner() override;
    void setColor(const QColor& color);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    QColor m_color = Qt::black;
    int m_angle = 0;
};

// "Preparing PDF…" over the whole editor while a PDF is made: a light dimming and a small
// rounded box with a spinner. It never takes input, so the editor stays usable beneath.
class PreparingPDFOverlay final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreparingPDFOverlay)

public:
    PreparingPDFOverlay(Appearance& appearance, QWidget* parent);
    ~PreparingPDFOverlay() override;

    QLabel* textLabel() const { return m_label; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyScheme();
    QRect boxRect() const;

    Appearance* m_appearance;
    BusySpinner* m_spinner;
    QLabel* m_label;
};

} // namespace quillora
