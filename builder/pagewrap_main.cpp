// pagewrap: the builder. Packs a folder of web pages into one program, a packed book, that is
// a copy of the player stub carried in this program's resources.
#include "builder/main_form.h"
#include "builder/packing_form.h"
#include "classlib/gui/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Application->Initialize();
        Application->SetTitle("pagewrap");
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->Run();
        // The packing window (and a thread it may still have) goes first.
        delete Form2;
        Form2 = nullptr;
        delete Form1;
        Form1 = nullptr;
    } catch (...) {
        Application->HandleException(Application);
    }
    return 0;
}
