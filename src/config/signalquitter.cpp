#include "signalquitter.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

int signalQuitter::fds[2] = {-1, -1};

signalQuitter::signalQuitter(QObject *parent) : QObject(parent)
{
}

bool signalQuitter::install()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        return false;
    notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &signalQuitter::onReadable);
    struct sigaction action = {};
    action.sa_handler = &signalQuitter::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void signalQuitter::handle(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(fds[0], &byte, 1);
}

void signalQuitter::onReadable()
{
    char byte = 0;
    if (::read(fds[1], &byte, 1) == 1)
        emit quitRequested(int(byte));
}
