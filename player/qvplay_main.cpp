// qvplay: the player stub. Every packed book is a copy of this program with a ZIP archive and
// its settings appended; run, it shows the book in a browser window.
#include "classlib/gui/application.h"
#include "player/browser_form.h"
#include "player/loading_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->CreateForm(Form3);
        Application->Run();
        // The loading window (and any thread it still has) goes first, then the browser
        // window, while the book's paths are still there for its clean-up.
        delete Form3;
        Form3 = nullptr;
        delete Form1;
        Form1 = nullptr;
    } catch (...) {
        Application->HandleException(Application);
    }
    return 0;
}
