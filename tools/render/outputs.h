// The files that the render tool writes, kept under scratch names until the run has succeeded.
//
// Each picture is written to a scratch file beside the file it is for, and the scratch files take
// their own names only when the whole run has succeeded. A run that fails removes them, and so
// does one that SIGINT, SIGTERM or SIGHUP stops: it then says so in one line on standard error
// and ends by that signal, which a shell reports as exit status 130, 143 or 129. So no empty or
// partial picture is ever left under the name asked for, nor any scratch file. A path that is a
// symbolic link is written through: its scratch file lies beside the file the link leads to, and
// takes that file's place, so the link stays.
#pragma once

#include <string>
#include <vector>

namespace render {

struct Output {
    std::string path;     // as the user asked for it: what messages name
    std::string target;   // the file that the path leads to, through its symbolic links
    std::string scratch;  // the file written until the run has succeeded
};

// Makes a scratch file for each path, checking that the path can be written, and from then on
// removes them when a signal stops the tool. The stop message names `asked`, the OUTPUT as
// given. "" on success; otherwise "cannot write 'PATH': reason", and no scratch file is left.
// Called once per process.
std::string CreateOutputs(const std::vector<std::string>& paths, const std::string& asked,
                          std::vector<Output>& outputs);
// Gives each scratch file its path's place, or at the first that fails, says which and removes
// the rest. A signal that comes now no longer stops the tool: the run is done.
std::string KeepOutputs(const std::vector<Output>& outputs);
// Removes every scratch file, for a run that failed.
void RemoveOutputs(const std::vector<Output>& outputs);

}  // namespace render
