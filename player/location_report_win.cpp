#include "player/location_report_win.h"

#include "classlib/fileio.h"
#include "player/browser_form.h"

void InstallLocationReport(TForm1* form) {
    char path[MAX_PATH + 1];
    const DWORD n = GetEnvironmentVariableA(kLocationFileVariable, path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    const UINT message = RegisterWindowMessageA(kReportLocationMessage);
    if (!message) return;
    const AnsiString file(path, n);
    auto previous = form->WindowProc;
    form->WindowProc = [form, previous, message, file](TMessage& m) {
        if (m.Msg != message) {
            previous(m);
            return;
        }
        const AnsiString location = form->WebBrowser1->GetLocationURL();
        const THandle h = FileCreate(file);
        if (h == INVALID_FILE_HANDLE) return;
        FileWrite(h, location.data(), static_cast<int32_t>(location.size()));
        FileClose(h);
        m.Result = 1;
    };
}
