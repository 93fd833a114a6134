// One run of the player in a process of its own, seen from outside: its windows, its
// message boxes, the browser's address (through the player's location report) and its end.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Polls cond every 20 ms until it holds or timeoutMs has passed; returns cond().
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs);

class PlayerRun {
public:
    // Starts book with TEMP and TMP set to tempFolder, currentFolder as its current folder and
    // the location report going to locationFile.
    PlayerRun(const std::string& book, const std::string& tempFolder, const std::string& currentFolder,
              const std::string& locationFile);
    // A player still running is ended (no clean-up runs then).
    ~PlayerRun();
    PlayerRun(const PlayerRun&) = delete;
    PlayerRun& operator=(const PlayerRun&) = delete;

    bool Started() const { return FProcess != nullptr; }
    DWORD Pid() const { return FPid; }

    // The player's visible top-level window of that class (or any, hidden ones too), or nullptr.
    HWND Window(const char* className, bool visibleOnly = true) const;
    // Waits for it.
    HWND WaitWindow(const char* className, int timeoutMs) const;
    // Any visible window of the player (to see that none was shown).
    bool AnyWindowVisible() const;
    // The texts of a message box's static controls, joined with "|".
    static std::string BoxText(HWND box);
    // Presses the box's OK button.
    static void Dismiss(HWND box);

    // The browser's address as the browser window reports it; empty when none came.
    std::string Location(int timeoutMs = 3000) const;
    // Waits until the reported address names file (a Windows path), compared without regard
    // to case, slash direction or a "file:" prefix.
    bool WaitLocation(const std::string& file, int timeoutMs) const;

    // Waits for the process to end; its exit code in *code.
    bool WaitExit(int timeoutMs, DWORD* code = nullptr) const;
    // Asks the browser window to close (WM_CLOSE) and waits for the process to end.
    bool CloseAndWait(int timeoutMs);

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
    std::string FLocationFile;
};

// "file:///Z:/a/b.htm", "file://Z:\a\b.htm", "Z:\a\b.htm" and "z:/A/B.HTM" all become "z:\a\b.htm".
std::string NormaliseLocation(const std::string& location);
// Saves the screen as a bitmap under Z:\artefacts (collected by the sandbox script).
void SaveScreenShot(const std::string& name);
