#include "app/app_events.h"

namespace quillora {

AppEvents& AppEvents::instance() {
    static AppEvents events;
    return events;
}

void AppEvents::postSelectResume(const std::shared_ptr<QObject>& object) {
    emit selectResume(object);
}

} // namespace quillora
