#include "theme/responsive_environment.h"

#include <QCoreApplication>
#include <QVariant>
#include <QWidget>

namespace quillora {

namespace {

constexpr const char* widthProperty = "quilloraResponsiveWidth";

} // namespace

QEvent::Type responsiveLayoutChangeEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void setResponsiveLayout(QWidget* scope, QuilloraResponsiveLayout layout) {
    if (!scope)
        return;
    const QVariant previous = scope->property(widthProperty);
    if (previous.isValid() && qFuzzyCompare(previous.toDouble(), layout.width))
        return;
    scope->setProperty(widthProperty, layout.width);
    QEvent event(responsiveLayoutChangeEvent());
    QCoreApplication::sendEvent(scope, &event);
    const auto children = scope->findChildren<QWidget*>();
    for (QWidget* child : children) {
        QEvent childEvent(responsiveLayoutChangeEvent());
        QCoreApplication::sendEvent(child, &childEvent);
    }
}

QuilloraResponsiveLayout responsiveLayout(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant width = w->property(widthProperty);
        if (width.isValid())
            return QuilloraResponsiveLayout{width.toDouble()};
    }
    return QuilloraResponsiveLayout{};
}

} // namespace quillora
