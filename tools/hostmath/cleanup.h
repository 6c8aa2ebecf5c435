// What the eval and check subcommands leave behind when they are stopped: the
// temporary output file is removed on SIGINT, SIGTERM and SIGHUP (the command
// then dies by the signal), and a fault on a mapped input that shrank under
// it (SIGBUS) becomes a message and exit status 2.  The handlers only use
// what is prepared here in static storage before the work starts.
#ifndef HOSTMATH_CLEANUP_H
#define HOSTMATH_CLEANUP_H

#include <csignal>
#include <cstddef>
#include <string>

namespace hostmath_cli {

// Blocks the signals whose handlers remove the temporary file, for as long
// as it lives: around creating, renaming and removing it, so that the name
// the handlers know is always the file that exists.
class CleanupSignalsBlocked {
public:
    CleanupSignalsBlocked();
    ~CleanupSignalsBlocked();
    CleanupSignalsBlocked(const CleanupSignalsBlocked&) = delete;
    CleanupSignalsBlocked& operator=(const CleanupSignalsBlocked&) = delete;

private:
    sigset_t saved_;
};

// The temporary file the handlers remove; forget_temporary() once it is
// renamed or removed.  Installs the handlers on first use (a signal ignored
// when the command started stays ignored).  False when the name is longer
// than the longest path (it could not have been created then).
bool note_temporary(const std::string& path);
void forget_temporary();

// A mapped input, [start, start + size), whose faults the SIGBUS handler
// reports as a change of the file named `path`.  Returns a slot for
// forget_mapping(), or -1 when every slot is taken (a fault then ends the
// command with the default action).
int note_mapping(const void* start, std::size_t size, const std::string& path);
void forget_mapping(int slot);

// The message of an input that changed while it was read.
std::string changed_input_message(const std::string& path);

}  // namespace hostmath_cli

#endif
