#pragma once

#include <QProxyStyle>

namespace quillora {

class Appearance;

// The look of the language menu's rows: every row in the scheme's ink, and a language that
// cannot be chosen drawn whole (flag and name) at 40 % opacity rather than in the style's
// greyed text.
class LanguageMenuStyle final : public QProxyStyle {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LanguageMenuStyle)

public:
    static constexpr qreal unavailableOpacity = 0.4;

    LanguageMenuStyle(Appearance& appearance, QObject* parent);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

private:
    Appearance& m_appearance;
};

} // namespace quillora
