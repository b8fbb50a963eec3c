#include "help/bullet_row.h"

#include "controls/accessibility_traits.h"

#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace quillora {

namespace {

const QString bullet = QStringLiteral("•");

} // namespace

BulletRow::BulletRow(Appearance& appearance, const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
    , m_appearance(&appearance)
    , m_label(new QLabel(text, this)) {
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setFont(namedFont(QStringLiteral("Oswald-Light"), textSize));
    // One element, read as its text: the label inside is not read again.
    hideFromAccessibility(m_label);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(bulletWidth() + spacing, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_label, 1, Qt::AlignTop);

    connect(m_appearance, &Appearance::changed, this, &BulletRow::applyScheme);
    applyScheme();
}

BulletRow::~BulletRow() = default;

int BulletRow::bulletWidth() const {
    return QFontMetrics(systemFont(bulletSize)).horizontalAdvance(bullet);
}

void BulletRow::applyScheme() {
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, schemeColors::secondaryLabel(m_appearance->isLight()));
    m_label->setPalette(pal);
    update();
}

void BulletRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = systemFont(bulletSize);
    painter.setFont(font);
    painter.setPen(schemeColors::secondaryLabel(m_appearance->isLight()));
    const QFontMetrics metrics(font);
    painter.drawText(QRect(0, 0, bulletWidth(), metrics.height()), Qt::AlignLeft | Qt::AlignTop, bullet);
}

} // namespace quillora
