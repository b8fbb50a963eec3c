#include "editor/portfolio_caption_rows.h"

#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"
#include "controls/one_line_field.h"
#include "controls/symbol_icon.h"
#include "editor/editor_controls.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

namespace {

// The orientation toggle of a caption row.
class OrientationButton final : public QAbstractButton {
public:
    OrientationButton(Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_appearance(appearance) {
        setCursor(Qt::PointingHandCursor);
        setFixedSize(32, 32);
        setAccessibleName(QStringLiteral("Toggle image orientation"));
        setAccessibleValue(this, accessibilityValue());
        connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    }

    void setOrientation(PortfolioImageOrientation orientation) {
        if (m_orientation == orientation)
            return;
        m_orientation = orientation;
        update();
        setAccessibleValue(this, accessibilityValue());
    }
    QString symbol() const {
        return m_orientation == PortfolioImageOrientation::portrait ? QStringLiteral("rectangle.portrait")
                                                                    : QStringLiteral("rectangle");
    }
    QString accessibilityValue() const {
        return m_orientation == PortfolioImageOrientation::portrait ? QStringLiteral("Portrait")
                                                                    : QStringLiteral("Landscape");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const bool light = m_appearance.isLight();
        const QColor accent = accentColor(light);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 1.0);
        const QRectF circle = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.setPen(QPen(withAlpha(accent, 0.35), 1));
        painter.setBrush(schemeColors::ultraThinMaterial(light));
        painter.drawEllipse(circle);
        paintSymbol(painter, QRectF(9, 9, 14, 14), symbol(), accent);
        if (hasFocus())
            paintFocusRing(painter, QRectF(rect()), width() / 2.0, light);
    }

private:
    Appearance& m_appearance;
    PortfolioImageOrientation m_orientation = PortfolioImageOrientation::portrait;
};

QString captionFieldStyle() {
    return QStringLiteral(
        "QLineEdit { background: rgba(0, 0, 0, 38); border: 1px solid rgba(128, 128, 128, 102);"
        " border-radius: 10px; padding: 10px; }");
}

} // namespace

CaptionsDisclosure::CaptionsDisclosure(Appearance& appearance, QWidget* parent)
    : QAbstractButton(parent)
    , m_appearance(appearance) {
    setObjectName(QStringLiteral("editCaptionsDisclosure"));
    setAccessibleName(QStringLiteral("Edit Captions"));
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

QSize CaptionsDisclosure::sizeHint() const {
    const QFontMetrics metrics(systemFont(15));
    // The symbols and the text keep clear of the focus ring around the edge.
    return QSize(2 * ringClearance + 15 + 6 + metrics.horizontalAdvance(QStringLiteral("Edit Captions")) + 24,
                 std::max(metrics.height(), 20) + 8 + ringClearance);
}

void CaptionsDisclosure::paintEvent(QPaintEvent*) {
    const bool light = m_appearance.isLight();
    const QColor ink = cardInk(light);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.6 : 1.0);
    const qreal mid = height() / 2.0;
    paintSymbol(painter, QRectF(ringClearance, mid - 8, 16, 16), QStringLiteral("text.bubble"), ink);
    const QFont font = systemFont(15);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRectF(ringClearance + 22, 0, width() - 46 - 2 * ringClearance, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Edit Captions"));
    paintSymbol(painter, QRectF(width() - 16 - ringClearance, mid - 6, 12, 12),
                isChecked() ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"),
                accentColor(light));
    if (hasFocus()) {
        painter.setOpacity(1);
        paintFocusRing(painter, rect(), 6, light);
    }
}

PortfolioCaptionRows::PortfolioCaptionRows(Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_appearance(appearance) {
    setObjectName(QStringLiteral("portfolioCaptionRows"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 6, 0, 0);
    m_layout->setSpacing(8);
    connect(&m_appearance, &Appearance::changed, this, &PortfolioCaptionRows::applyScheme);
}

PortfolioCaptionRows::~PortfolioCaptionRows() = default;

void PortfolioCaptionRows::applyScheme() {
    const bool light = m_appearance.isLight();
    for (const CaptionRow& row : std::as_const(m_rows)) {
        QPalette secondary = row.position->palette();
        secondary.setColor(QPalette::WindowText, schemeColors::secondaryLabel(light));
        row.position->setPalette(secondary);
        QPalette field = row.field->palette();
        field.setColor(QPalette::Text, cardInk(light));
        field.setColor(QPalette::PlaceholderText, schemeColors::secondaryLabel(light));
        row.field->setPalette(field);
    }
}

void PortfolioCaptionRows::updateRow(const LocalPickerPortfolioItem& item) {
    const auto row = m_rows.constFind(item.id);
    if (row == m_rows.cend())
        return;
    if (row->field->text() != item.caption) {
        const QSignalBlocker quiet(row->field); // a shown caption is no edit
        row->field->setText(item.caption);
    }
    static_cast<OrientationButton*>(row->orientation)->setOrientation(item.orientation);
}

PortfolioCaptionRows::CaptionRow PortfolioCaptionRows::makeCaptionRow(const QUuid& id) {
    CaptionRow row;
    row.widget = new QWidget(this);
    auto* layout = new QHBoxLayout(row.widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    row.position = new QLabel(row.widget);
    row.position->setFont(systemFont(12));
    row.position->setMinimumWidth(
        QFontMetrics(row.position->font()).horizontalAdvance(QStringLiteral("00.")));
    layout->addWidget(row.position);
    row.field = makeOneLineField(row.widget);
    row.field->setObjectName(QStringLiteral("portfolioCaptionField") + portfolioIdText(id));
    row.field->setPlaceholderText(QStringLiteral("Caption"));
    row.field->setFont(systemFont(15));
    row.field->setFrame(false);
    row.field->setStyleSheet(captionFieldStyle());
    layout->addWidget(row.field, 1);
    auto* orientation = new OrientationButton(m_appearance, row.widget);
    orientation->setObjectName(QStringLiteral("togglePortfolioOrientationButton") + portfolioIdText(id));
    row.orientation = orientation;
    layout->addWidget(orientation);
    // The row is named by id, so a list that changed meanwhile is no fault.
    // Any change of the text is the user's: typed, pasted, or set by an assistive technology.
    connect(row.field, &QLineEdit::textChanged, this,
            [this, id](const QString& text) { emit captionEdited(id, text); });
    connect(orientation, &QAbstractButton::clicked, this, [this, id] { emit orientationToggled(id); });
    return row;
}

void PortfolioCaptionRows::setRows(const PortfolioRows& rows) {
    QHash<QUuid, CaptionRow> kept;
    while (m_layout->count() > 0)
        delete m_layout->takeAt(0);
    for (int i = 0; i < rows.size(); ++i) {
        const LocalPickerPortfolioItem& item = rows.at(i);
        if (kept.contains(item.id))
            continue;
        CaptionRow row = m_rows.take(item.id);
        const bool created = !row.widget;
        if (created)
            row = makeCaptionRow(item.id);
        row.position->setText(QString::number(i + 1) + QLatin1Char('.'));
        // Each field says which image it captions, as its number beside it shows.
        row.field->setAccessibleName(QStringLiteral("Caption for image %1").arg(i + 1));
        row.orientation->setAccessibleName(
            QStringLiteral("Toggle image orientation for image %1").arg(i + 1));
        if (row.field->text() != item.caption) {
            const QSignalBlocker quiet(row.field);
            row.field->setText(item.caption);
        }
        static_cast<OrientationButton*>(row.orientation)->setOrientation(item.orientation);
        kept.insert(item.id, row);
        m_layout->addWidget(row.widget);
        row.widget->show();
    }
    for (const CaptionRow& gone : std::as_const(m_rows)) {
        gone.widget->hide();
        gone.widget->deleteLater();
    }
    m_rows = kept;
    applyScheme();
}

} // namespace quillora
