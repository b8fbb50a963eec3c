#pragma once

#include "app/resume_list_texts.h"

#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillora {

// The key prompt: a text field for the key with Save and Cancel. The field shows its text only
// while it has the focus.
class OpenAIKeyPrompt final : public QDialog {
public:
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
        m_field = new QLineEdit(this);
        m_field->setObjectName(QStringLiteral("openAIKeyField"));
        m_field->setPlaceholderText(resumeListTexts::keyPlaceholder());
        m_field->setText(draft);
        m_field->setEchoMode(QLineEdit::Password);
        m_field->setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText | Qt::ImhSensitiveData);
        m_field->installEventFilter(this);
        auto* buttons = new QHBoxLayout;
        auto* cancel = new QPushButton(resumeListTexts::cancel(), this);
        cancel->setObjectName(QStringLiteral("openAIKeyCancelButton"));
        auto* save = new QPushButton(resumeListTexts::save(), this);
        save->setObjectName(QStringLiteral("openAIKeySaveButton"));
        save->setDefault(true);
        buttons->addWidget(cancel);
        buttons->addWidget(save);
        layout->addWidget(title);
        layout->addWidget(message);
        layout->addWidget(m_field);
        layout->addLayout(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(save, &QPushButton::clicked, this, &QDialog::accept);
        m_field->setMinimumWidth(340);
    }

    QLineEdit* field() const { return m_field; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_field && event->type() == QEvent::FocusIn)
            m_field->setEchoMode(QLineEdit::Normal);
        else if (watched == m_field && event->type() == QEvent::FocusOut)
            m_field->setEchoMode(QLineEdit::Password);
        return QDialog::eventFilter(watched, event);
    }

private:
    QLineEdit* m_field;
};

} // namespace quillora
