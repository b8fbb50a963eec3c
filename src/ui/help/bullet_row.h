#pragma once

#include <QWidget>

class QLabel;

namespace quillora {

class Appearance;

// One line of help: a bullet and the text in "Oswald-Light" 18, both in the secondary colour,
// top-aligned 10 points apart. A long text wraps under itself, not under the bullet.
// Assistive technologies read the row once, as its text; the bullet is decoration.
class BulletRow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BulletRow)

public:
    static constexpr int spacing = 10;
    static constexpr qreal textSize = 18;
    static constexpr qreal bulletSize = 17;

    BulletRow(Appearance& appearance, const QString& text, QWidget* parent = nullptr);
    ~BulletRow() override;

    QString text() const { return m_text; }
    QLabel* textLabel() const { return m_label; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyScheme();
    int bulletWidth() const;

    QString m_text;
    Appearance* m_appearance;
    QLabel* m_label;
};

} // namespace quillora
