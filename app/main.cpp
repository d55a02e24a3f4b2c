// Program entry: the application titled "Brenvik" with the main window as its main form.
#include "Dovrel.h"
#include "Texts.h"

#include "BcStartup.h"
#include "OcControlUtilsWin.h"
#include "dataprovider/OcExtensible.h"
#include "draw/ACXPVS.h"
#include "draw/APXPVS.h"
#include "draw/AdvGDIP.h"
#include "draw/JPEGImage.h"
#include "menus/AdvMenuUtil.h"
#include "menus/AdvMenus.h"
#include "PngObject.h"

#include "windows/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace classlib;
    // Module start-up before the main window exists: the utility modules, then the storage
    // modules (the class library started with the process, the JPEG format joining its
    // picture formats), then GDI+, the theme bindings, the office menus (which switch the
    // desktop's menu animation off), the data provider classes and the "PNG" picture format.
    draw::JpegModuleInitialize();
    bcl::StartUtilityModules(instance);
    storage::RegisterExtraDragCursors();
    draw::GdiplusModuleInitialize();
    draw::apxpvs::ThemeBindingInitialize();
    draw::acxpvs::ThemeBindingInitialize();
    menus::AdvMenuUtilInitialize();
    menus::AdvMenusInitialize();
    dataprovider::RegisterDataProviderClasses();
    png::PngCodecInitialize();
    app::RegisterWindowClasses();
    Application->Initialize();
    Application->SetTitle(std::string(app::text::ApplicationTitle));
    app::TDovrel* Dovrel = nullptr;
    int exitCode = 0;
    try {
        Application->CreateForm(Dovrel);
    } catch (Exception& e) {
        Application->ShowException(&e);
        exitCode = 1;
    }
    if (exitCode == 0)
        Application->Run();
    // The window goes before the modules stop: destroying it writes "Settings.ini".
    Application->DestroyComponents();
    png::PngCodecFinalize();
    dataprovider::DataProviderShutDown();
    menus::AdvMenusFinalize();
    menus::AdvMenuUtilFinalize();
    draw::acxpvs::ThemeBindingFinalize();
    draw::apxpvs::ThemeBindingFinalize();
    draw::GdiplusModuleFinalize();
    bcl::StopUtilityModules(instance);
    draw::JpegModuleFinalize();
    return exitCode;
}
