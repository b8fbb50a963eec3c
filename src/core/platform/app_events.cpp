#include "platform/app_events.h"

namespace quillora {

void AppEvents::postSelectResume(const std::shared_ptr<QObject>& object) {
    emit selectResume(object);
}

} // namespace quillora
