#include "player/location_report_win.h"

#include "classlib/fileio.h"
#include "player/browser_form.h"

namespace {

// Answers the registered message by writing the browser's address into the file.
class TLocationReport : public TWindowProcHook {
public:
    TLocationReport(TForm1* form, UINT message, AnsiString file)
        : TWindowProcHook(form, nullptr), FForm(form), FMessage(message), FFile(std::move(file)) {}

protected:
    void HookProc(TMessage& m) override {
        if (m.Msg != FMessage) {
            Previous(m);
            return;
        }
        const AnsiString location = FForm->WebBrowser1->GetLocationURL();
        const THandle h = FileCreate(FFile);
        if (h == INVALID_FILE_HANDLE) return;
        FileWrite(h, location.data(), static_cast<int32_t>(location.size()));
        FileClose(h);
        m.Result = 1;
    }

private:
    TForm1* FForm;
    UINT FMessage;
    AnsiString FFile;
};

}  // namespace

std::unique_ptr<TWindowProcHook> InstallLocationReport(TForm1* form) {
    char path[MAX_PATH + 1];
    const DWORD n = GetEnvironmentVariableA(kLocationFileVariable, path, sizeof path);
    if (n == 0 || n >= sizeof path) return nullptr;
    const UINT message = RegisterWindowMessageA(kReportLocationMessage);
    if (!message) return nullptr;
    return std::make_unique<TLocationReport>(form, message, AnsiString(path, n));
}
