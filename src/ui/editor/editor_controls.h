#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QWidget>

#include <functional>

class QLineEdit;

namespace quillora {

class Appearance;

// A one-point horizontal rule in a colour that follows the scheme.
class EditorDivider final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorDivider)

public:
    // color(light) gives the rule's colour for the scheme.
    EditorDivider(Appearance& appearance, std::function<QColor(bool light)> color, QWidget* parent = nullptr);
    ~EditorDivider() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<QColor(bool)> m_color;
    Appearance* m_appearance;
};

// A borderless button of a symbol and a title, both in one colour that follows the scheme
// (the add-entry and reorder buttons of the entry cards, the font style button).
class SymbolTextButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SymbolTextButton)

public:
    enum class SymbolSide { leading, trailing };

    SymbolTextButton(Appearance& appearance, const QString& symbol, const QString& title,
                     QWidget* parent = nullptr);
    ~SymbolTextButton() override;

    void setSymbol(const QString& symbol);
    QString symbol() const { return m_symbol; }
    void setSymbolSide(SymbolSide side);
    // The title's and symbol's colours; the symbol takes the title's unless set apart.
    void setColors(std::function<QColor(bool light)> title, std::function<QColor(bool light)> symbol = {});
    // A stretch between title and a trailing symbol, so the symbol sits at the far edge.
    void setFillsWidth(bool fills);
    void setTitleFont(const QFont& font);
    void setSymbolSize(int side) {
        m_symbolSide = side;
        updateGeometry();
    }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    SymbolSide m_side = SymbolSide::leading;
    std::function<QColor(bool)> m_titleColor;
    std::function<QColor(bool)> m_symbolColor;
    bool m_fillsWidth = false;
    int m_symbolSide = 17;
    Appearance* m_appearance;
};

// A borderless button that shows one symbol in a colour that follows the scheme (the trash
// buttons of the entry rows).
class SymbolIconButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SymbolIconButton)

public:
    SymbolIconButton(Appearance& appearance, const QString& symbol, std::function<QColor(bool light)> color,
                     int side, QWidget* parent = nullptr);
    ~SymbolIconButton() override;

    QString symbol() const { return m_symbol; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    std::function<QColor(bool)> m_color;
    int m_side;
    Appearance* m_appearance;
};

// The ink of the editor's cards: black at 0.9 in the light scheme, white otherwise.
QColor cardInk(bool light);

// Makes a line edit a plain, frameless field in the system font of the given size, its text in
// the card ink and its placeholder in the secondary colour, following the scheme.
void styleInlineField(QLineEdit* field, qreal points, Appearance& appearance);

} // namespace quillora
