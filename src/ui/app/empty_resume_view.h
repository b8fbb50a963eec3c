#pragma once

#include <QWidget>

namespace quillora {

// Fills the detail column while no résumé is shown: the themed background with a frosted card
// that asks the user to pick or add a résumé.
class ThemedEmptyResumeView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThemedEmptyResumeView)

public:
    explicit ThemedEmptyResumeView(QWidget* parent = nullptr);
};

} // namespace quillora
