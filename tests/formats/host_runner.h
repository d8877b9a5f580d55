#pragma once

// Runs the console VST3 host (tools/host) as a child process and reads its key=value report.

#include <map>
#include <string>
#include <vector>

struct HostRun
{
    int exitCode = -1;
    std::map<std::string, std::string> values;
    std::string text;

    bool has(const std::string& key) const { return values.count(key) != 0; }
    std::string get(const std::string& key) const;
    double number(const std::string& key) const;
};

// Runs the host with `args` (each passed as one argument) and collects its standard output.
HostRun runHost(const std::vector<std::string>& args);

// A fresh temporary folder for one test's files, removed with the object.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};
