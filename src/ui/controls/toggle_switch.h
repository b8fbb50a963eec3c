#pragma once

#include <QCheckBox>

namespace quillora {

class Appearance;

// A labelled on/off switch: the title at the leading edge, a capsule track at the trailing
// edge, tinted with the brand accent when on and grey when off, with a white knob. The whole
// row takes clicks.
class ToggleSwitch final : public QCheckBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ToggleSwitch)

public:
    static constexpr int trackWidth = 44;
    static constexpr int trackHeight = 26;

    ToggleSwitch(const QString& title, Appearance& appearance, QWidget* parent = nullptr);
    ~ToggleSwitch() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool hitButton(const QPoint& position) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    Appearance* m_appearance;
};

} // namespace quillora
