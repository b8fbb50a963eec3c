#pragma once

#include <QObject>

#include <memory>

namespace quillora {

// App-wide notifications. "QuilloraSelectResume" carries any object; receivers act only on a
// résumé.
class AppEvents final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppEvents)

public:
    static AppEvents& instance();

    void postSelectResume(const std::shared_ptr<QObject>& object);

signals:
    void selectResume(const std::shared_ptr<QObject>& object);

private:
    AppEvents() = default;
};

} // namespace quillora
