// Program entry: the application titled "Brenvik" with the main window as its main form.
#include "Dovrel.h"
#include "Texts.h"

#include "windows/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    using namespace classlib;
    app::RegisterWindowClasses();
    Application->Initialize();
    Application->SetTitle(std::string(app::text::ApplicationTitle));
    app::TDovrel* Dovrel = nullptr;
    try {
        Application->CreateForm(Dovrel);
    } catch (Exception& e) {
        Application->ShowException(&e);
        return 1;
    }
    Application->Run();
    return 0;
}
