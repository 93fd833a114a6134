// A way for an automated check to read the browser's address from outside the process. Only
// when the environment variable QVPLAY_LOCATION_FILE names a file does the browser window
// answer the registered message "qvplay.ReportLocation" by writing the address (ANSI) into
// that file; otherwise nothing is installed.
#pragma once
#include <memory>

#include "classlib/gui/window_proc_hook.h"

class TForm1;

constexpr char kLocationFileVariable[] = "QVPLAY_LOCATION_FILE";
constexpr char kReportLocationMessage[] = "qvplay.ReportLocation";

// The hook that answers, to be kept as long as the form lives; nullptr when not asked for.
std::unique_ptr<TWindowProcHook> InstallLocationReport(TForm1* form);
