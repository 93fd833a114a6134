// Helpers for the windowed tests: pumping messages with a deadline, catching reported errors,
// finding system message boxes.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "classlib/gui/application.h"

// Handles messages until cond holds or timeoutMs has passed; returns cond().
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 3000);
// Handles messages for a while.
void PumpFor(int ms);

// While alive, errors reported by the application are collected instead of shown.
class CaughtErrors {
public:
    CaughtErrors();
    ~CaughtErrors();
    std::vector<std::string> Messages;
};

// The visible system dialog ("#32770") of this thread whose caption is the given one (any
// caption when it is empty), or nullptr.
HWND FindDialog(const std::string& caption);
// The texts of a dialog's static controls, joined with "|".
std::string DialogTexts(HWND dialog);

// A Windows path for a file in the build's artefact folder (created when missing).
std::string ArtifactPath(const std::string& name);

// Saves what the screen shows around a window (frame included) as a bitmap file.
void SaveWindowShot(HWND window, const std::string& path);
