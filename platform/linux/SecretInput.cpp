#include "platform/SecretInput.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Shell.h"
#include "platform/linux/QuietTerminal.h"
#include "platform/linux/UniqueFd.h"
#include "platform/common/SecretLine.h"

namespace platform {

namespace {

// One byte of fd. With a terminal the wait happens under its wait mask, so that a held
// signal ends it; without one a signal merely restarts the read.
ByteStep ReadByte(int fd, char& byte, const QuietTerminal* terminal) {
    for (;;) {
        if (terminal) {
            if (QuietTerminal::Interrupted()) return ByteStep::Failed;
            pollfd ready{fd, POLLIN, 0};
            if (ppoll(&ready, 1, nullptr, terminal->WaitMask()) < 0) {
                if (errno == EINTR) continue;
                return ByteStep::Failed;
            }
        }
        const ssize_t got = read(fd, &byte, 1);
        if (got == 1) return ByteStep::Byte;
        if (got == 0) return ByteStep::End;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A descriptor left non-blocking by whoever handed it over.
            pollfd ready{fd, POLLIN, 0};
            if (poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
        }
        return ByteStep::Failed;
    }
}

SecretReadStatus ReadLine(int fd, size_t maxLength, std::string& secret, const QuietTerminal* terminal) {
    return ReadSecretBytes(maxLength, secret, [&](char& byte) { return ReadByte(fd, byte, terminal); });
}

}  // namespace

SecretReadStatus ReadSecretLine(int fd, size_t maxLength, std::string& secret) {
    return ReadLine(fd, maxLength, secret, nullptr);
}

SecretReadStatus ReadSecretFromTerminal(const std::string& prompt, size_t maxLength, std::string& secret) {
    WipeSecret(secret);
    const UniqueFd tty(open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios settings{};
    if (!tty || tcgetattr(tty.Get(), &settings) != 0) return SecretReadStatus::NoTerminal;

    const QuietTerminal terminal(tty.Get(), settings);
    if (!terminal.Quiet()) return SecretReadStatus::Failed;
    for (size_t done = 0; done < prompt.size();) {
        const ssize_t written = write(tty.Get(), prompt.data() + done, prompt.size() - done);
        if (written < 0 && errno != EINTR) return SecretReadStatus::Failed;
        if (written > 0) done += static_cast<size_t>(written);
    }
    return ReadLine(tty.Get(), maxLength, secret, &terminal);
}

}  // namespace platform
