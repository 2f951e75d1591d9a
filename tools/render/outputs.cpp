// The render tool's scratch files: made beside each output's target, renamed at the end, and
// removed on failure.
#include "tools/render/outputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace render {

namespace {

// A longer chain of links is taken for a loop, as the kernel takes one (ELOOP).
constexpr int MAXIMUM_LINKS = 40;

// How many of the scratch files exist.
std::size_t scratchCount = 0;

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
    ++scratchCount;
    // The permissions that a plain new file would get, not mkstemp's private ones.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return "";
}

}  // namespace

std::string CreateOutputs(const std::vector<std::string>& paths, std::vector<Output>& outputs) {
    outputs.clear();
    for (const std::string& path : paths) {
        const std::string target = LinkTarget(path);
        outputs.push_back(Output{path, target, target + ".XXXXXX"});
    }
    for (Output& output : outputs) {
        if (std::string reason = CreateScratch(output); !reason.empty()) {
            RemoveOutputs(outputs);
            return "cannot write '" + output.path + "': " + reason;
        }
    }
    return "";
}

std::string KeepOutputs(const std::vector<Output>& outputs) {
    for (std::size_t index = 0; index < scratchCount; ++index) {
        if (std::rename(outputs[index].scratch.c_str(), outputs[index].target.c_str()) != 0) {
            const std::string failure =
                "cannot write '" + outputs[index].path + "': " + std::strerror(errno);
            for (; index < scratchCount; ++index) {
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
    for (std::size_t index = 0; index < scratchCount; ++index) {
        unlink(outputs[index].scratch.c_str());
    }
    scratchCount = 0;
}

}  // namespace render
