// The render tool's scratch files: made beside each output's target, renamed at the end, and
// removed on failure or by the handler of the signals that stop the tool.
#include "tools/render/outputs.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>

namespace render {

namespace {

constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
constexpr const char* STOP_SIGNAL_NAMES[] = {"SIGINT", "SIGTERM", "SIGHUP"};
// A longer chain of links is taken for a loop, as the kernel takes one (ELOOP).
constexpr int MAXIMUM_LINKS = 40;

// What the signal handler reads: the scratch names and the stop messages, written only by
// CreateOutputs before it installs the handler, and how many of the scratch files exist, written
// only while the stopping signals are blocked.
std::vector<const char*> scratchNames;
volatile std::sig_atomic_t scratchCount = 0;
std::string stopMessages[std::size(STOP_SIGNALS)];

// Removes the scratch files made so far, says so, and ends the process by the same signal, so
// that a shell or script that ran the tool sees it stopped and stops too. It calls only
// async-signal-safe functions.
void OnStopSignal(int signal) {
    for (std::sig_atomic_t index = 0; index < scratchCount; ++index) {
        unlink(scratchNames[index]);
    }
    for (std::size_t index = 0; index < std::size(STOP_SIGNALS); ++index) {
        if (STOP_SIGNALS[index] == signal) {
            const std::string& message = stopMessages[index];
            [[maybe_unused]] const ssize_t written =
                write(STDERR_FILENO, message.data(), message.size());
        }
    }
    // Delivered when the handler returns, which unblocks it.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : STOP_SIGNALS) {
        sigaddset(&signals, signal);
    }
    return signals;
}

void BlockStopSignals(int how) {
    const sigset_t signals = StopSignals();
    sigprocmask(how, &signals, nullptr);
}

void InstallStopHandler() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_mask = StopSignals();  // one stop at a time
    for (int signal : STOP_SIGNALS) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        // A signal ignored from the start, as under nohup or in a script's background job,
        // stays ignored.
        if (previous.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

// The file that a path leads to through its symbolic links; the path itself when it is none.
std::string LinkTarget(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current = path;
    std::error_code error;
    for (int link = 0; link < MAXIMUM_LINKS && fs::is_symlink(fs::symlink_status(current, error));
         ++link) {
        const fs::path next = fs::read_symlink(current, error);
        if (error) {
            break;
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string();
}

// Checks that a file already at the target is one the tool may replace, and makes the scratch
// file beside it; errno's reason when either fails.
std::string CreateScratch(Output& output) {
    // Opened without truncating or waiting, only to check: a folder or a file we may not write
    // fails here, before the run.
    const int existing = open(output.target.c_str(), O_WRONLY | O_NONBLOCK);
    if (existing >= 0) {
        close(existing);
    } else if (errno != ENOENT) {
        return std::strerror(errno);
    }
    const int descriptor = mkstemp(output.scratch.data());
    if (descriptor < 0) {
        return std::strerror(errno);
    }
    scratchCount = scratchCount + 1;
    // The permissions that a plain new file would get, not mkstemp's private ones.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return "";
}

}  // namespace

std::string CreateOutputs(const std::vector<std::string>& paths, const std::string& asked,
                          std::vector<Output>& outputs) {
    assert(scratchNames.empty());  // one set of outputs per process
    outputs.clear();
    for (const std::string& path : paths) {
        const std::string target = LinkTarget(path);
        outputs.push_back(Output{path, target, target + ".XXXXXX"});
    }
    // mkstemp fills in the X's where they stand, so these stay where the handler reads them.
    for (const Output& output : outputs) {
        scratchNames.push_back(output.scratch.c_str());
    }
    for (std::size_t index = 0; index < std::size(STOP_SIGNALS); ++index) {
        stopMessages[index] = std::string("sorvelin-render: stopped by ") +
                              STOP_SIGNAL_NAMES[index] + ": wrote nothing to '" + asked +
                              "' and removed its scratch files\n";
    }
    // A stop while they are made comes after, when the count says which exist.
    BlockStopSignals(SIG_BLOCK);
    InstallStopHandler();
    for (Output& output : outputs) {
        if (std::string reason = CreateScratch(output); !reason.empty()) {
            RemoveOutputs(outputs);
            return "cannot write '" + output.path + "': " + reason;
        }
    }
    BlockStopSignals(SIG_UNBLOCK);
    return "";
}

std::string KeepOutputs(const std::vector<Output>& outputs) {
    BlockStopSignals(SIG_BLOCK);
    for (std::size_t index = 0; index < static_cast<std::size_t>(scratchCount); ++index) {
        if (std::rename(outputs[index].scratch.c_str(), outputs[index].target.c_str()) != 0) {
            const std::string failure =
                "cannot write '" + outputs[index].path + "': " + std::strerror(errno);
            for (; index < static_cast<std::size_t>(scratchCount); ++index) {
                unlink(outputs[index].scratch.c_str());
            }
            scratchCount = 0;
            return failure;
        }
    }
    scratchCount = 0;
    return "";
}

void RemoveOutputs(const std::vector<Output>& outputs) {
    BlockStopSignals(SIG_BLOCK);
    for (std::size_t index = 0; index < static_cast<std::size_t>(scratchCount); ++index) {
        unlink(outputs[index].scratch.c_str());
    }
    scratchCount = 0;
}

}  // namespace render
