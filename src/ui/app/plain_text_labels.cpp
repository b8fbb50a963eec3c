#include "app/plain_text_labels.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

namespace quillora {

namespace {

class PlainTextLabels final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish) {
            if (auto* label = qobject_cast<QLabel*>(watched))
                label->setTextFormat(Qt::PlainText);
        }
        return false;
    }
};

} // namespace

void showLabelsAsPlainText(QApplication& app) {
    app.installEventFilter(new PlainTextLabels(&app));
}

} // namespace quillora
