#pragma once

#include "app/resume_list_texts.h"
#include "controls/accessibility_traits.h"
#include "controls/one_line_field.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

// The key prompt: the title, the message, the key's field, then Save and Cancel. The field is one
// plain line (a long key scrolls inside it); Return in it saves. The prompt takes the width of the
// window it opens over (within limits), so the message and both buttons stay whole on small and
// large screens.
class OpenAIKeyPrompt final : public QDialog {
public:
    static constexpr int minimumWidth = 300;
    static constexpr int maximumWidth = 640;
    static constexpr int windowMargin = 24;

    OpenAIKeyPrompt(const QString& draft, QWidget* parent)
        : QDialog(parent) {
        setObjectName(QStringLiteral("openAIKeyPrompt"));
        setWindowTitle(resumeListTexts::addKey());
        setModal(true);
        auto* layout = new QVBoxLayout(this);
        auto* title = new QLabel(resumeListTexts::addKey(), this);
        QFont titleFont = title->font();
        titleFont.setPixelSize(17);
        titleFont.setWeight(QFont::DemiBold);
        title->setFont(titleFont);
        title->setAlignment(Qt::AlignCenter);
        auto* message = new QLabel(resumeListTexts::keyPromptMessage(), this);
        message->setObjectName(QStringLiteral("openAIKeyPromptMessage"));
        message->setWordWrap(true);
        message->setAlignment(Qt::AlignCenter);
        // Heard after the prompt's name as it opens, before its field.
        setWindowPurpose(this, message->text());
        m_field = makeOneLineField(this, draft);
        m_field->setObjectName(QStringLiteral("openAIKeyField"));
        m_field->setAccessibleName(resumeListTexts::addKey());
        m_field->setPlaceholderText(resumeListTexts::keyPlaceholder());
        m_field->setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText | Qt::ImhSensitiveData);
        connect(m_field, &QLineEdit::returnPressed, this, &QDialog::accept);
        auto* buttons = new QHBoxLayout;
        auto* save = new QPushButton(resumeListTexts::save(), this);
        save->setObjectName(QStringLiteral("openAIKeySaveButton"));
        save->setDefault(true);
        auto* cancel = new QPushButton(resumeListTexts::cancel(), this);
        cancel->setObjectName(QStringLiteral("openAIKeyCancelButton"));
        buttons->addWidget(save);
        buttons->addWidget(cancel);
        layout->addWidget(title);
        layout->addWidget(message);
        layout->addWidget(m_field);
        layout->addLayout(buttons);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(save, &QPushButton::clicked, this, &QDialog::accept);
        layout->setSizeConstraint(QLayout::SetFixedSize);

        const int room =
            (parent ? parent->window()->width() : maximumWidth + 2 * windowMargin) - 2 * windowMargin;
        const QMargins margins = layout->contentsMargins();
        const int content = std::clamp(room, minimumWidth, maximumWidth) - margins.left() - margins.right();
        message->setFixedWidth(content);
        m_field->setFixedWidth(content);
    }

    QLineEdit* field() const { return m_field; }

private:
    QLineEdit* m_field;
};

} // namespace quillora
