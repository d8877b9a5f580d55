#include "host_runner.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

#ifndef VK_VST3_HOST
#error "VK_VST3_HOST must name the console host"
#endif

namespace
{

std::string quoted(const std::string& arg)
{
    std::string out = "'";
    for (char c : arg)
        out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

std::string HostRun::get(const std::string& key) const
{
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
}

double HostRun::number(const std::string& key) const
{
    if (!has(key))
        throw std::runtime_error("host reported no " + key);
    return std::stod(get(key));
}

HostRun runHost(const std::vector<std::string>& args)
{
    std::string command = quoted(VK_VST3_HOST);
    for (const auto& a : args)
        command += " " + quoted(a);
    command += " 2>&1";

    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.text += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    std::istringstream lines(run.text);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t eq = line.find('='); eq != std::string::npos)
            run.values[line.substr(0, eq)] = line.substr(eq + 1);
    return run;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vk-host-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
