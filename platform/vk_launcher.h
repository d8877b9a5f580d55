#pragma once

// Hands a folder, a file or a web address to the desktop (xdg-open), which opens it in the file manager,
// the PDF viewer or the browser. The target always travels as one argument of its own and no shell ever
// sees it, so spaces, quotes, semicolons or "$(...)" in a path are just characters of that path.
// Tests install a recording launcher so that nothing is started on the machine that runs them.
// [message thread] Allocates; starting a process forks.

#include <functional>
#include <string>
#include <vector>

namespace vk::platform
{

// Receives the whole argument vector (program first); true when the program was started.
using Launcher = std::function<bool(const std::vector<std::string>& arguments)>;

// Opens `target` with the desktop's opener. False for an empty target, one starting with "-", or when
// nothing could be started.
bool openWithDesktop(const std::string& target);

// Starts `arguments[0]` (looked up in PATH when it holds no slash) with exactly these arguments, detached
// from this process so that no zombie is left behind and the child outlives a host that unloads us.
// True once the program has replaced the child, false when it could not be found or executed.
bool startDetachedProcess(const std::vector<std::string>& arguments);

// Replaces the launcher that openWithDesktop uses; an empty function restores startDetachedProcess.
void setLauncherOverride(Launcher launcher);

} // namespace vk::platform
