#include "platform/StackedCall.h"

#include <pthread.h>

namespace tovr {

bool stackedCall(std::size_t bytes, const std::function<void()>& work) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_t thread;
    const bool started = pthread_attr_setstacksize(&attributes, bytes) == 0 &&
                         pthread_create(
                             &thread, &attributes,
                             [](void* call) -> void* {
                                 (*static_cast<const std::function<void()>*>(call))();
                                 return nullptr;
                             },
                             const_cast<std::function<void()>*>(&work)) == 0;
    pthread_attr_destroy(&attributes);
    if (started)
        pthread_join(thread, nullptr);
    return started;
}

} // namespace tovr
