#pragma once

#include <QObject>

#include <memory>

namespace quillora {

// App-wide notifications. "QuilloraSelectResume" carries any object; receivers act only on a
// résumé. The app's one instance is in its Services.
class AppEvents final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppEvents)

public:
    AppEvents() = default;

    void postSelectResume(const std::shared_ptr<QObject>& object);

signals:
    void selectResume(const std::shared_ptr<QObject>& object);
};

} // namespace quillora
