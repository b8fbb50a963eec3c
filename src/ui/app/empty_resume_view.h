#pragma once

#include <QWidget>

class QGraphicsOpacityEffect;

namespace quillora {

class Services;

// Fills the detail column while no résumé is shown: the themed background with a frosted card
// that asks the user to pick or add a résumé.
class ThemedEmptyResumeView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThemedEmptyResumeView)

public:
    explicit ThemedEmptyResumeView(Services& services, QWidget* parent = nullptr);

    // How much of another card lies over this one (0 none, 1 fully opaque): this card fades out
    // as much, so two translucent cards never show their texts through each other.
    void setCoveredBy(qreal opacity);
    QWidget* card() const { return m_card; }

private:
    QWidget* m_card = nullptr;
    QGraphicsOpacityEffect* m_cardOpacity = nullptr;
};

} // namespace quillora
