// Working the windows of another program from outside, as its user would: starting it,
// finding its windows, reading and setting texts, pressing buttons and answering message boxes.
// Everything goes through window messages, so the program under test carries no hooks.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

using TEnvironment = std::vector<std::pair<std::string, std::string>>;

// Starts program (a Windows path) with args and the caller's environment plus the given
// variables; the process handle (close it), or nullptr. pid receives the process id.
HANDLE StartProgram(const std::string& program, const std::string& args, const TEnvironment& extra, DWORD& pid);
// Waits for the process to end; false when it is still running after timeoutMs.
bool WaitForExit(HANDLE process, int timeoutMs);

// A visible top-level window of process pid (0: any process) of the given class whose caption
// is caption (empty: any), waited for up to timeoutMs; nullptr when none came.
HWND WaitForTopWindow(DWORD pid, const std::string& className, const std::string& caption, int timeoutMs);
// A visible message box ("#32770") of process pid (0: any process), waited for.
HWND WaitForMessageBox(DWORD pid, int timeoutMs);
// The texts of a dialog's static controls, joined with "\n" (a message box: its message).
std::string DialogText(HWND dialog);
// Presses the OK button of a message box (the window goes once its program has handled it).
bool DismissMessageBox(HWND box);
// Waits until the window no longer exists or is hidden.
bool WaitForWindowGone(HWND window, int timeoutMs);

std::string WindowClass(HWND window);
std::string WindowText(HWND window);
// Sets the text of a window of another program (WM_SETTEXT); false when it did not answer.
bool SetRemoteText(HWND window, const std::string& text);
// Clicks a button through the queue of its program (the click may open a modal window).
void PressButton(HWND button);
// Every window below parent, depth first.
std::vector<HWND> Descendants(HWND parent);

// Converts text between code pages (CP_ACP, CP_UTF8, ...).
std::string ConvertText(const std::string& text, UINT from, UINT to);
// Text of the ANSI code page as UTF-8 (for printing on a Unix terminal).
inline std::string AnsiToUtf8(const std::string& text) { return ConvertText(text, CP_ACP, CP_UTF8); }
// Windows path of a file named by a path of this machine ("/a/b" under Wine, or already "C:\a").
std::string FullWindowsPath(const std::string& path);
