#pragma once

#include "app/resume_list_texts.h"

#include <QDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace quillora {

// The key's field: plain, readable text on as many lines as the key needs, so a whole key can be
// checked before it is saved. Return saves; line breaks never enter the key.
class OpenAIKeyField final : public QPlainTextEdit {
public:
    static constexpr int maximumLines = 5;

    explicit OpenAIKeyField(QWidget* parent)
        : QPlainTextEdit(parent) {
        setObjectName(QStringLiteral("openAIKeyField"));
        setAccessibleName(resumeListTexts::addKey());
        setPlaceholderText(resumeListTexts::keyPlaceholder());
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WrapAnywhere);
        setTabChangesFocus(true);
        setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText | Qt::ImhSensitiveData);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(std::max<qreal>(font().pointSizeF(), 10));
        setFont(mono);
        connect(this, &QPlainTextEdit::textChanged, this, &OpenAIKeyField::fitHeight);
        fitHeight();
    }

    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(withoutLineBreaks(text)); }
    void setSubmit(std::function<void()> submit) { m_submit = std::move(submit); }

    // Tall enough for every line of the text, between two lines and maximumLines.
    void fitHeight() {
        const int lineHeight = fontMetrics().lineSpacing();
        const qreal laidOut = blockBoundingRect(document()->firstBlock()).height();
        const int textHeight = std::clamp(int(std::ceil(laidOut)), 2 * lineHeight, maximumLines * lineHeight);
        const QMargins margins = contentsMargins();
        setFixedHeight(textHeight + int(std::ceil(2 * document()->documentMargin())) + margins.top() +
                       margins.bottom() + 2 * frameWidth() + 1);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (m_submit)
                m_submit();
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source->hasText())
            insertPlainText(withoutLineBreaks(source->text()));
    }
    void resizeEvent(QResizeEvent* event) override {
        QPlainTextEdit::resizeEvent(event);
        fitHeight();
    }

private:
    static QString withoutLineBreaks(QString text) {
        return text.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    }

    std::function<void()> m_submit;
};

// The key prompt: the title, the message, the key's field, then Save and Cancel. It takes the
// width of the window it opens over (within limits), so the key and both buttons stay whole on
// small and large screens.
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
        m_field = new OpenAIKeyField(this);
        m_field->setText(draft);
        m_field->setSubmit([this] { accept(); });
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

    OpenAIKeyField* field() const { return m_field; }

private:
    OpenAIKeyField* m_field;
};

} // namespace quillora
