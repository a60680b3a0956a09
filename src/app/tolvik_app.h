#pragma once

#include "platform/single_instance.h"
#include "settings/environment.h"
#include "settings/session_identity.h"

#include <string>

class IAppUi;

// The one application object: it owns the run of the program, the signed-in identity, the program's
// folder and the environment settings.
class CTolvikWGApp
{
public:
    static constexpr const char* InstanceName = "KORVA.TolvikWG";

    // modulePath is the program file's own path; its folder holds the environment and version files.
    CTolvikWGApp(IAppUi& ui, std::string modulePath);
    CTolvikWGApp(const CTolvikWGApp&) = delete;
    CTolvikWGApp& operator=(const CTolvikWGApp&) = delete;
    virtual ~CTolvikWGApp();

    // Runs the whole life of the program; returns false on every path, the normal end included.
    bool InitInstance();

    bool CheckForUpdate();
    bool SignIn();

    SessionIdentity Session;
    std::string ModuleDir;
    EnvironmentSettings Environment;

private:
    IAppUi& m_ui;
    std::string m_modulePath;
    CKvSingleExec m_singleExec;
};

// The running application object, for windows that need the session or the settings.
CTolvikWGApp* TheApp();
