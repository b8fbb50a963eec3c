#pragma once

#include <QWidget>

class QTimer;
class QVariantAnimation;

namespace quillora {

class Appearance;

// The label of the AI buttons: a sparkle in the brand accent beside a one-line title, centred.
// While busy the sparkle turns once a second; when the work ends it finishes its turn and rests
// upright. The title is whatever the caller passes (a progress text while busy); it shrinks to
// 85 % of its size before it is cut short, and never wraps.
class SparkleButtonLabel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SparkleButtonLabel)

public:
    static constexpr int spacing = 8;
    static constexpr qreal minimumScaleFactor = 0.85;
    static constexpr int turnMs = 1000;

    explicit SparkleButtonLabel(Appearance& appearance, const QString& title = {}, bool isBusy = false,
                                QWidget* parent = nullptr);
    ~SparkleButtonLabel() override;

    QString title() const { return m_title; }
    void setTitle(const QString& title);
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

    // The angle the sparkle is heading for: whole turns, only ever growing.
    double rotation() const { return m_rotation; }
    // The angle drawn now (behind rotation() while a turn animates).
    double displayedRotation() const { return m_displayed; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startSpinning();
    void stopSpinning();
    void turn();
    int iconSide() const;

    QString m_title;
    bool m_busy = false;
    bool m_reduceMotion = false;
    double m_rotation = 0;
    double m_displayed = 0;
    Appearance* m_appearance;
    QTimer* m_timer;
    QVariantAnimation* m_turn;
};

} // namespace quillora
