#include "QuitOnSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tovr {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int wakePipe[2] = {-1, -1};

extern "C" void wakeEventLoop(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wakePipe[1], &byte, 1);
    errno = saved;
}

} // namespace

QuitOnSignals::QuitOnSignals() {
    if (::pipe(wakePipe) != 0)
        return;
    for (const int fd : wakePipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = wakeEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    installed_ = true;
}

void QuitOnSignals::onSignal(QObject* context, std::function<void()> quit) {
    if (!installed_ || notifier_)
        return;
    notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier_, &QSocketNotifier::activated, context, [quit = std::move(quit)] {
        char bytes[16];
        while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
        }
        quit();
    });
}

QuitOnSignals::~QuitOnSignals() {
    if (!installed_)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    delete notifier_;
    for (int& fd : wakePipe) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace tovr
