// Runs a shell command line of the native build (outside tools such as zip, unzip, 7z and
// Python) and collects its exit status and output, standard error included.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct TToolRun {
    int Status = -1;
    std::string Output;
};

inline TToolRun RunTool(const std::string& commandLine) {
    TToolRun r;
    FILE* p = popen((commandLine + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.Output.append(buf, n);
    const int status = pclose(p);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
