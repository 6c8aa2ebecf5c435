// The signal handlers of the eval and check subcommands.  They call only
// async-signal-safe functions (unlink, write, sigaction, raise, _exit) and
// read only static storage that is complete before they can see it.
#include "cleanup.h"

#include "array_command.h"
#include "cli.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace hostmath_cli {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary output file; the name is written only while the ending
// signals are blocked and no other thread runs.
char temporary_name[PATH_MAX];
std::atomic<bool> temporary_noted{false};

// A mapped input and the message of a fault inside it; start is set last.
struct Mapping {
    std::atomic<std::uintptr_t> start{0};
    std::uintptr_t size = 0;
    char message[PATH_MAX + 128] = {};
    std::size_t length = 0;
};
Mapping mappings[8];

void remove_temporary()
{
    if (temporary_noted.load()) unlink(temporary_name);
}

void restore_default(int signal_number)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

void on_ending_signal(int signal_number)
{
    remove_temporary();
    restore_default(signal_number);
    raise(signal_number);  // delivered when the handler returns: the command dies by the signal
}

void on_bus_error(int signal_number, siginfo_t* info, void*)
{
    remove_temporary();
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (const Mapping& m : mappings) {
        const std::uintptr_t start = m.start.load();
        if (start != 0 && address - start < m.size) {
            if (write(STDERR_FILENO, m.message, m.length) < 0) {
            }
            _exit(kExitError);
        }
    }
    // A fault elsewhere: the default action, when the access runs again or at once if the signal was sent.
    restore_default(signal_number);
    if (info->si_code <= 0) raise(signal_number);
}

void install_handlers()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int s : kEndingSignals) {
        struct sigaction old {};
        if (sigaction(s, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;  // nohup stays in force
        struct sigaction action {};
        action.sa_handler = on_ending_signal;
        sigemptyset(&action.sa_mask);
        for (int other : kEndingSignals) sigaddset(&action.sa_mask, other);
        sigaction(s, &action, nullptr);
    }
    struct sigaction bus {};
    bus.sa_sigaction = on_bus_error;
    bus.sa_flags = SA_SIGINFO;
    sigemptyset(&bus.sa_mask);
    sigaction(SIGBUS, &bus, nullptr);
}

}  // namespace

CleanupSignalsBlocked::CleanupSignalsBlocked()
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : kEndingSignals) sigaddset(&set, s);
    pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

CleanupSignalsBlocked::~CleanupSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

bool note_temporary(const std::string& path)
{
    install_handlers();
    if (path.size() >= sizeof temporary_name) return false;
    std::memcpy(temporary_name, path.c_str(), path.size() + 1);
    temporary_noted.store(true);
    return true;
}

void forget_temporary() { temporary_noted.store(false); }

std::string changed_input_message(const std::string& path)
{
    return quoted_file(path) + ": input file changed while reading";
}

int note_mapping(const void* start, std::size_t size, const std::string& path)
{
    install_handlers();
    for (int slot = 0; slot < static_cast<int>(sizeof mappings / sizeof mappings[0]); ++slot) {
        Mapping& m = mappings[slot];
        if (m.start.load() != 0) continue;
        std::string message = "hostmath: " + changed_input_message(path);
        message.resize(std::min(message.size(), sizeof m.message - 1));
        message += '\n';
        m.length = message.size();
        std::memcpy(m.message, message.data(), m.length);
        m.size = size;
        m.start.store(reinterpret_cast<std::uintptr_t>(start));
        return slot;
    }
    return -1;
}

void forget_mapping(int slot)
{
    if (slot >= 0) mappings[slot].start.store(0);
}

}  // namespace hostmath_cli
