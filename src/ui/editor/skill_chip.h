#pragma once

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QGraphicsEffect;
class QVariantAnimation;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillora {

class Appearance;
class SymbolIconButton;

// One suggested skill as a rounded chip: the text, then a small remove button ("Remove skill"
// and the skill).
// The chip reports the remove button and has no click of its own (its host wraps it in a
// button that opens the skill for editing).
class SkillChip final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillChip)

public:
    static constexpr qreal cornerRadius = 16;

    SkillChip(const QString& skill, Appearance& appearance, QWidget* parent = nullptr);
    ~SkillChip() override;

    QString skill() const { return m_skill; }
    QAbstractButton* removeButton() const;

    static QColor fill(bool light);
    static QColor outline(bool light);

signals:
    void removeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyScheme();

    QString m_skill;
    Appearance* m_appearance;
    QLabel* m_label;
    SymbolIconButton* m_remove;
};

// The floating dialog in which one suggested skill is edited: a dimmed backdrop over the whole
// host and, centred on it, a card with "Edit Skill", the text field and Cancel and Save. Save
// reports the text trimmed (possibly empty); Cancel, Escape and a click on the backdrop report
// cancelled(). Neither closes the popup: its host does.
class SkillEditPopup final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillEditPopup)

public:
    static constexpr int maximumCardWidth = 340;

    // Fills `host` and follows its size.
    SkillEditPopup(const QString& skill, Appearance& appearance, QWidget* host);
    ~SkillEditPopup() override;

    QString skill() const { return m_skill; }
    QString text() const;
    QLineEdit* field() const { return m_field; }
    QLabel* title() const { return m_title; }
    QWidget* card() const { return m_card; }

    // What Save does: reports the text trimmed of white space and line breaks.
    void skillEditSave();

    // Takes the popup away: it fades and shrinks to its centre (at once under reduce motion),
    // taking no more input, then deletes itself.
    void dismiss();
    // The popup comes and goes with a fade and a scale about its centre: 0 is gone, 1 in full.
    const QVariantAnimation& transition() const { return *m_transition; }
    qreal transitionProgress() const;

signals:
    void saved(const QString& text);
    void cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyScheme();
    void placeCard();
    void runTransition(qreal from, qreal to);
    void endTransition();

    QString m_skill;
    Appearance* m_appearance;
    QWidget* m_card;
    QLabel* m_title;
    QLineEdit* m_field;
    QPushButton* m_cancel;
    QPushButton* m_save;
    QPointer<QGraphicsEffect> m_scaleFade;
    QVariantAnimation* m_transition;
    bool m_dismissed = false;
};

} // namespace quillora
