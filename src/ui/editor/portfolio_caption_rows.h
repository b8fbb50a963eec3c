#pragma once

#include "editor/portfolio_rows.h"

#include <QAbstractButton>
#include <QHash>
#include <QUuid>
#include <QWidget>

class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace quillora {

class Appearance;

// The "Edit Captions" disclosure: the bubble, the label and a chevron at the far edge.
class CaptionsDisclosure final : public QAbstractButton {
public:
    CaptionsDisclosure(Appearance& appearance, QWidget* parent);

    // Room kept between the edge, where the focus ring runs, and the symbols and text.
    static constexpr int ringClearance = 6;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Appearance& m_appearance;
};

// The caption rows under the disclosure: per image its position, the caption field and the
// orientation toggle. The rows report edits by id; the owner changes the images.
class PortfolioCaptionRows final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioCaptionRows)

public:
    explicit PortfolioCaptionRows(Appearance& appearance, QWidget* parent = nullptr);
    ~PortfolioCaptionRows() override;

    // A row per image (the first of rows sharing an id), numbered in order.
    void setRows(const PortfolioRows& rows);
    bool hasRow(const QUuid& id) const { return m_rows.contains(id); }
    // Row `row` changed in place (caption or orientation).
    void updateRow(const LocalPickerPortfolioItem& row);

signals:
    void captionEdited(const QUuid& id, const QString& text);
    void orientationToggled(const QUuid& id);

private:
    struct CaptionRow {
        QWidget* widget = nullptr;
        QLabel* position = nullptr;
        QLineEdit* field = nullptr;
        QAbstractButton* orientation = nullptr;
    };

    CaptionRow makeCaptionRow(const QUuid& id);
    void applyScheme();

    Appearance& m_appearance;
    QVBoxLayout* m_layout;
    QHash<QUuid, CaptionRow> m_rows;
};

} // namespace quillora
